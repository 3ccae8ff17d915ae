#pragma once
// The format chooser in tests: a check that runs once the chooser's modal loop is running.
#include "format_sel_dialog.h"
#include "hex_test_env.h"

#include <QTimer>
#include <cstdint>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <unistd.h>

// With act, the chooser must show and act handles it; without, a chooser that shows fails the
// test and is cancelled. The check lives as long as the returned timer, so one that did not
// fire cannot reach a later test.
[[nodiscard]] inline std::unique_ptr<QTimer>
OnChooser(std::function<void(TFormatSelDialog&)> act = {}) {
    auto timer = std::make_unique<QTimer>();
    timer->setSingleShot(true);
    QObject::connect(timer.get(), &QTimer::timeout, [act = std::move(act)] {
        auto* dialog = qobject_cast<TFormatSelDialog*>(QApplication::activeModalWidget());
        if (!dialog) {
            if (act) ADD_FAILURE() << "no format chooser shown";
            return;
        }
        if (act) {
            act(*dialog);
        } else {
            ADD_FAILURE() << "the paste asked for a format";
            dialog->reject();
        }
    });
    timer->start(0);
    return timer;
}

// A sparse file: no disk space, and a read of it whole would take seconds and as much memory.
inline void MakeSparseFile(const std::string& path, int64_t size) {
    std::ofstream(path, std::ios::binary).close();
    ASSERT_EQ(::truncate(path.c_str(), size), 0);
}

// The refusal of a file of size bytes where the data can take at most most.
inline std::string TooLargeForTheData(const std::string& path, int64_t size, int64_t most) {
    return "File " + path + " is too large for the data (" + std::to_string(size) +
           " bytes; at most " + std::to_string(most) + ")";
}
