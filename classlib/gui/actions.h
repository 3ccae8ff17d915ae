#pragma once
// The class library's popup menu with its AutoPopup switch, and its standard edit actions,
// which a control with the focus may execute and enable (ExecuteAction, UpdateAction).
#include <QMenu>

class TPopupMenu : public QMenu {
public:
    using QMenu::QMenu;
    // False: the menu is not shown by a right click; the owner pops it up itself.
    bool AutoPopup = true;
};

class TBasicAction {
public:
    virtual ~TBasicAction() = default;
};

class TEditAction : public TBasicAction {
public:
    bool Enabled = true;
};

class TEditCut : public TEditAction {};
class TEditCopy : public TEditAction {};
class TEditPaste : public TEditAction {};
class TEditDelete : public TEditAction {};
class TEditUndo : public TEditAction {};
class TEditSelectAll : public TEditAction {};
