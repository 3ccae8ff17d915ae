#pragma once
// Small makers of the controls the program's windows share.
#include <QComboBox>

// Gives a new control its name, by which the captions and the tests find it.
template <class Widget> Widget* Named(Widget* widget, const char* name) {
    widget->setObjectName(name);
    return widget;
}

// A combo box of the drop-down style: the user may type any text; typing adds no item and
// completes nothing.
inline QComboBox* DropDownCombo(QWidget* parent, const char* name) {
    auto* combo = Named(new QComboBox(parent), name);
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->setCompleter(nullptr);
    return combo;
}
