#pragma once
// Shared set-up of the hex editor tests: one QApplication (offscreen under CTest) and an
// editor with some data, shown at a fixed size.
#include "orix_hex_editor_ex.h"
#include "test_application.h"

#include <QApplication>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

inline QApplication& TestApp() {
    return TestProgramApplication("hexedit_tests");
}

inline std::vector<uint8_t> Pattern(size_t size) {
    std::vector<uint8_t> data(size);
    for (size_t i = 0; i < size; ++i) data[i] = static_cast<uint8_t>(i * 7 + 3);
    return data;
}

// The message of what fn throws; empty when it throws nothing.
inline std::string ErrorOf(const std::function<void()>& fn) {
    try {
        fn();
    } catch (const std::exception& e) {
        return e.what();
    }
    return {};
}

// The editor's whole data.
inline std::vector<uint8_t> DataOf(TCustomOrixHexEditor& editor) {
    std::vector<uint8_t> data(static_cast<size_t>(editor.GetDataSize()));
    if (!data.empty()) editor.ReadBuffer(data.data(), 0, editor.GetDataSize());
    return data;
}

inline void LoadBytes(TCustomOrixHexEditor& editor, const std::vector<uint8_t>& data) {
    TMemoryStream stream;
    if (!data.empty()) stream.WriteBuffer(data.data(), static_cast<int64_t>(data.size()));
    editor.LoadFromStream(stream);
}

struct ShownEditor {
    std::unique_ptr<TOrixHexEditorEx> editor;
    explicit ShownEditor(size_t bytes, int width = 700, int height = 360) {
        TestApp();
        // Errors in event handlers fail loudly instead of opening a box.
        TCustomGrid::ReportException() = [](const std::exception& e) {
            ADD_FAILURE() << "exception in event handler: " << e.what();
        };
        editor = std::make_unique<TOrixHexEditorEx>();
        editor->resize(width, height);
        LoadBytes(*editor, Pattern(bytes));
        editor->show();
        editor->activateWindow();
        editor->setFocus();
        QApplication::processEvents();
    }
    TOrixHexEditorEx* operator->() { return editor.get(); }
    TOrixHexEditorEx& operator*() { return *editor; }
};
