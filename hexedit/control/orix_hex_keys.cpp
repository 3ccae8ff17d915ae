// Keyboard and character input: caret moves, field switch, selection by Shift, Insert,
// Delete and Backspace, bookmarks by Ctrl(+Shift)+digit, and typed digits and characters.
// Keys are the Windows virtual-key codes the control was designed around; Qt key events are
// mapped onto them here.
#include "orix_hex_editor.h"

#include "code_pages.h"
#include "hex_digits.h"
#include "virtual_keys.h"

#include <QGuiApplication>
#include <algorithm>

namespace {
// The digit-row key of an X11 or evdev key code (evdev code + 8): 10 is "1" ... 19 is "0".
int DigitOfScanCode(quint32 scanCode) {
    if (scanCode >= 10 && scanCode <= 18) return static_cast<int>(scanCode) - 9;
    if (scanCode == 19) return 0;
    return -1;
}

// The shifted symbols of the digit row on the US layout, the fallback when the platform
// gives no key code: ")!@#$%^&*(" for 0..9.
int DigitOfShiftedSymbol(int qtKey) {
    static const int symbols[10] = {Qt::Key_ParenRight,  Qt::Key_Exclam,    Qt::Key_At,
                                    Qt::Key_NumberSign,  Qt::Key_Dollar,    Qt::Key_Percent,
                                    Qt::Key_AsciiCircum, Qt::Key_Ampersand, Qt::Key_Asterisk,
                                    Qt::Key_ParenLeft};
    for (int d = 0; d < 10; ++d)
        if (symbols[d] == qtKey) return d;
    return -1;
}
} // namespace

uint16_t TCustomOrixHexEditor::VirtualKeyOf(const QKeyEvent& event) {
    const int k = event.key();
    if (event.modifiers() & Qt::KeypadModifier) {
        if (k >= Qt::Key_0 && k <= Qt::Key_9)
            return static_cast<uint16_t>(VK_NUMPAD0 + k - Qt::Key_0);
    } else if (k >= Qt::Key_0 && k <= Qt::Key_9) {
        return static_cast<uint16_t>(k);
    }
    if (k >= Qt::Key_A && k <= Qt::Key_Z) return static_cast<uint16_t>(k);
    if (k >= Qt::Key_F1 && k <= Qt::Key_F24) return static_cast<uint16_t>(VK_F1 + k - Qt::Key_F1);
    switch (k) {
    case Qt::Key_Backspace:
        return VK_BACK;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return VK_TAB;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return VK_RETURN;
    case Qt::Key_Shift:
        return VK_SHIFT;
    case Qt::Key_Control:
        return VK_CONTROL;
    case Qt::Key_Alt:
        return VK_MENU;
    case Qt::Key_Escape:
        return VK_ESCAPE;
    case Qt::Key_Space:
        return VK_SPACE;
    case Qt::Key_PageUp:
        return VK_PRIOR;
    case Qt::Key_PageDown:
        return VK_NEXT;
    case Qt::Key_End:
        return VK_END;
    case Qt::Key_Home:
        return VK_HOME;
    case Qt::Key_Left:
        return VK_LEFT;
    case Qt::Key_Up:
        return VK_UP;
    case Qt::Key_Right:
        return VK_RIGHT;
    case Qt::Key_Down:
        return VK_DOWN;
    case Qt::Key_Insert:
        return VK_INSERT;
    case Qt::Key_Delete:
        return VK_DELETE;
    default:
        break;
    }
    // The digit keys keep their code whatever symbol Shift or the layout puts on them.
    if (QGuiApplication::platformName() != "windows") {
        const int d = DigitOfScanCode(event.nativeScanCode());
        if (d >= 0) return static_cast<uint16_t>('0' + d);
    }
    if (event.modifiers() & Qt::ShiftModifier) {
        const int d = DigitOfShiftedSymbol(k);
        if (d >= 0) return static_cast<uint16_t>('0' + d);
    }
    return 0;
}

void TCustomOrixHexEditor::keyPressEvent(QKeyEvent* event) {
    FEventKey = VirtualKeyOf(*event);
    const Qt::KeyboardModifiers m = event->modifiers();
    // Ctrl or Alt with a key makes no character (Alt makes a menu character instead). AltGr
    // reaches Qt as a key of its own, not as Ctrl+Alt, so its characters are typed.
    FEventTypes = !(m & (Qt::ControlModifier | Qt::AltModifier));
    TCustomGrid::keyPressEvent(event);
    event->accept();
}

void TCustomOrixHexEditor::KeyDown(int, TShiftState shift) {
    uint16_t key = FEventKey;
    // A modifier key counts as held while it goes down, as the key state reports it.
    if (key == VK_SHIFT) shift |= ssShift;
    if (key == VK_CONTROL) shift |= ssCtrl;
    KeyDown(key, shift);
}

void TCustomOrixHexEditor::KeyPress(const QString& text) {
    // Keys that move or delete make no character, whatever text the platform attaches.
    if (!FEventTypes || FEventKey == VK_DELETE || FEventKey == VK_BACK) return;
    for (const QChar unit : text) TypeUnit(unit.unicode());
}

void TCustomOrixHexEditor::inputMethodEvent(QInputMethodEvent* event) {
    const QString text = event->commitString();
    Guarded([&] {
        for (const QChar unit : text) TypeUnit(unit.unicode());
    });
    event->accept();
}

void TCustomOrixHexEditor::TypeUnit(char16_t unit) {
    // Without unicode mode a character arrives as its byte in the ANSI code page; one the
    // code page lacks cannot be typed.
    if (UnicodeChars || unit < 0x80) {
        WMChar(unit);
        return;
    }
    const auto* found = std::find(Cp1252ToUnicode.begin(), Cp1252ToUnicode.end(), unit);
    if (found == Cp1252ToUnicode.end()) {
        WrongKey();
        return;
    }
    WMChar(static_cast<uint16_t>(found - Cp1252ToUnicode.begin()));
}

void TCustomOrixHexEditor::WrongKey() {
    if (OnInvalidKey) OnInvalidKey(this);
}

void TCustomOrixHexEditor::GoToCell(int32_t c, int32_t r) {
    c = std::clamp(c, kFirstHexCol, std::max(kFirstHexCol, ColCount() - 1));
    r = std::clamp(r, kFirstDataRow, std::max(kFirstDataRow, RowCount() - 1));
    MoveColRow(c, r, true, true);
}

void TCustomOrixHexEditor::SwitchField(int32_t c, int32_t r) {
    GoToCell(std::max(kFirstHexCol, GetOtherFieldCol(c)), r);
}

void TCustomOrixHexEditor::StepBack(int32_t c, int32_t r) {
    const int32_t p = GetPosAtCursor(c, r);
    const bool field = FCaretInCharField;
    const int32_t d = FSelecting || (UnicodeChars && field) ? BytesPerUnit : 1;
    if (field) {
        const TGridCoord cell = GetCursorAtPos(std::max(0, p - d), true);
        GoToCell(cell.X, cell.Y);
    } else if (FSelecting) {
        const int32_t q = (p - d) / BytesPerUnit * BytesPerUnit;
        const TGridCoord cell =
            q < 0 ? GridCoord(kFirstHexCol, kFirstDataRow) : GetCursorAtPos(q, false);
        GoToCell(cell.X, cell.Y);
    } else if (c > GetCursorAtPos(p, false).X) {
        GoToCell(c - 1, r);
    } else if (p >= 1) {
        const TGridCoord cell = GetCursorAtPos(p - 1, false);
        GoToCell(cell.X + 1, cell.Y);
    }
}

void TCustomOrixHexEditor::StepForward(int32_t c, int32_t r) {
    const int32_t p = GetPosAtCursor(c, r);
    const bool field = FCaretInCharField;
    const int32_t d = FSelecting || (UnicodeChars && field) ? BytesPerUnit : 1;
    const int32_t size = GetDataSize();
    if (field || FSelecting) {
        int64_t wide = static_cast<int64_t>(p) + d;
        if (!field) wide = wide / BytesPerUnit * BytesPerUnit;
        auto q = static_cast<int32_t>(std::min<int64_t>(wide, INT32_MAX));
        TruncMaxPosition(q);
        const TGridCoord cell = GetCursorAtPos(q, field);
        GoToCell(cell.X, cell.Y);
        return;
    }
    if (c == GetCursorAtPos(p, false).X && p != size) {
        GoToCell(c + 1, r);
        return;
    }
    const int32_t q = p + 1;
    if (q < size || (q == size && GetInsertMode())) {
        const TGridCoord cell = GetCursorAtPos(q, false);
        GoToCell(cell.X, cell.Y);
    }
}

void TCustomOrixHexEditor::KeyDown(uint16_t& key, TShiftState shift) {
    if (OnKeyDown) OnKeyDown(this, key, shift);
    if (shift == 0 && key != VK_SHIFT && !GetInsertMode()) ResetSelection(true);
    const bool ctrl = (shift & ssCtrl) != 0;
    const int32_t b = BytesPerRow;
    // A page counts one row at the least, as the wheel does, even with no whole row in view.
    const int32_t v = std::max(1, VisibleRowCount());
    const int32_t step = std::max(1, v - 1);
    const int32_t c = Col(), r = Row();
    const bool field = GetDataSize() >= 1 ? GetInCharField() : FCaretInCharField;
    switch (key) {
    case VK_BACK:
        if (GetInsertMode()) {
            if (GetSelCount() >= 1)
                DeleteSelection("");
            else
                InternalErase(true, "");
        } else if (!ctrl) {
            StepBack(c, r);
        }
        break;
    case VK_LEFT:
        if (ctrl)
            GoToCell(kFirstHexCol, r);
        else
            StepBack(c, r);
        break;
    case VK_RIGHT:
        if (ctrl)
            GoToCell(ColCount() - 1, r);
        else
            StepForward(c, r);
        break;
    case VK_UP:
        if (!ctrl && r - 1 >= kFirstDataRow) GoToCell(c, r - 1);
        break;
    case VK_DOWN:
        if (!ctrl && r + 1 < RowCount()) GoToCell(c, r + 1);
        break;
    case VK_PRIOR:
        if (ctrl) {
            GoToCell(c, TopRow());
        } else {
            const int32_t n = std::max(kFirstDataRow, r - step);
            SetTopRow(std::max(kFirstDataRow, TopRow() - step));
            GoToCell(c, n);
        }
        break;
    case VK_NEXT:
        if (ctrl) {
            GoToCell(c, std::min(RowCount() - 1, TopRow() + v - 1));
        } else {
            const int32_t n = std::min(RowCount() - 1, r + step);
            SetTopRow(std::min(std::max(kFirstDataRow, RowCount() - v), TopRow() + step));
            GoToCell(c, n);
        }
        break;
    case VK_HOME:
        GoToCell(FirstColOfField(field), ctrl ? kFirstDataRow : r);
        break;
    case VK_END:
        if (ctrl) {
            const TGridCoord cell =
                GetCursorAtPos(GetInsertMode() ? GetDataSize() : GetDataSize() - 1, field);
            GoToCell(cell.X, cell.Y);
        } else {
            // The last byte of the caret's row.
            const int64_t rowEnd = static_cast<int64_t>(r - kFirstDataRow + 1) * b - 1;
            int32_t q = static_cast<int32_t>(std::min<int64_t>(rowEnd, INT32_MAX));
            TruncMaxPosition(q);
            const TGridCoord cell = GetCursorAtPos(q, field);
            GoToCell(field ? cell.X : cell.X + 1, cell.Y);
        }
        break;
    case VK_TAB:
        if (shift == 0 || shift == ssShift) SwitchField(c, r);
        break;
    case 'T':
        if (ctrl) SwitchField(c, r);
        break;
    case VK_SHIFT:
        if (shift == ssShift || shift == (ssShift | ssCtrl)) FSelecting = true;
        break;
    case VK_INSERT:
        if (shift == 0) SetInsertMode(!GetInsertMode());
        break;
    case VK_DELETE:
        if (ReadOnlyView) break;
        if (GetInsertMode() || shift == ssCtrl) {
            if (GetSelCount() >= 1)
                DeleteSelection("");
            else
                InternalErase(false, "");
        }
        break;
    default:
        if (key >= '0' && key <= '9' && ctrl) {
            const int digit = key - '0';
            if (shift & ssShift) {
                // The position first: taking it records the field the flag then tells.
                const int32_t position = GetPosAtCursor(c, r);
                SetBookmarkVals(digit, position, FCaretInCharField);
            } else {
                GotoBookmark(digit);
            }
        }
        break;
    }
}

void TCustomOrixHexEditor::WMChar(uint16_t charCode) {
    uint16_t ch = charCode;
    if (OnKeyPress) {
        char k = static_cast<char>(ch & 0xFF);
        OnKeyPress(this, k);
        ch = static_cast<uint8_t>(k);
    }
    // The masked set holds byte values: a UTF-16 unit above 255 is never one of them.
    if (ReadOnlyView || (ch < 256 && MaskedChars.test(ch))) return;
    const int32_t size = GetDataSize();
    const int32_t p = GetPosAtCursor(Col(), Row());
    const bool insert = GetInsertMode();
    if (p >= size && !insert) return;
    uint16_t right = VK_RIGHT;
    if (!FCaretInCharField) {
        const int d = HexDigitValue(static_cast<char16_t>(ch));
        if (d < 0) {
            WrongKey();
            return;
        }
        if (!insert) ResetSelection(true);
        const uint8_t cur = p < size ? GetDataAt(p) : 0;
        const int32_t c0 = GetCursorAtPos(p, false).X;
        const bool high = Col() - SwapNibbles == c0 || GetSelCount() > 0;
        const auto value = static_cast<uint8_t>(high ? (d << 4) | (cur & 0x0F) : (cur & 0xF0) | d);
        if (insert && (GetSelCount() > 0 || (Col() - kFirstHexCol) % (2 * BytesPerUnit) == 0)) {
            std::vector<uint8_t> unit(static_cast<size_t>(BytesPerUnit), 0);
            unit[0] = static_cast<uint8_t>(SwapNibbles ? d : d << 4);
            if (size == 0)
                AppendBuffer(unit.data(), BytesPerUnit, "", false);
            else if (GetSelCount() > 0)
                ReplaceSelection(unit.data(), BytesPerUnit, "", false);
            else
                InsertBuffer(unit.data(), BytesPerUnit, p, "", false);
        } else if (p < size) {
            IntChangeByte(cur, value, p, "");
        } else {
            return;
        }
        FSelecting = false;
        KeyDown(right, 0);
        return;
    }
    if (ch < 256) ch = TranslateCharFromAnsi(Translation, MaskedChars, static_cast<uint8_t>(ch));
    if (ch < 256 && MaskedChars.test(ch)) {
        WrongKey();
        return;
    }
    // Overwriting needs a whole unit: the last byte of odd-sized data holds only half of one.
    if (!insert && UnicodeChars && p + 1 >= size) {
        WrongKey();
        return;
    }
    if (!insert) ResetSelection(true);
    uint8_t buffer[8] = {};
    if (UnicodeChars) {
        uint16_t unit = ch;
        if (UnicodeBigEndian) SwapWideChar(unit);
        buffer[0] = static_cast<uint8_t>(unit & 0xFF);
        buffer[1] = static_cast<uint8_t>(unit >> 8);
    } else {
        buffer[0] = static_cast<uint8_t>(ch & 0xFF);
    }
    const bool atEnd = size == 0 || p == size;
    const uint8_t cur = atEnd ? 0 : GetDataAt(p);
    if (insert) {
        if (GetSelCount() > 0)
            ReplaceSelection(buffer, BytesPerUnit, "", false);
        else if (p == size)
            AppendBuffer(buffer, BytesPerUnit, "", true);
        else if (p % BytesPerUnit == 0)
            InsertBuffer(buffer, BytesPerUnit, p, "", false);
        else
            IntChangeByte(cur, buffer[0], p, "");
        FSelecting = false;
    } else if (UnicodeChars) {
        const auto old = static_cast<uint16_t>(GetDataAt(p) | GetDataAt(p + 1) << 8);
        IntChangeWideChar(old, static_cast<uint16_t>(buffer[0] | buffer[1] << 8), p, "");
    } else {
        IntChangeByte(cur, buffer[0], p, "");
    }
    KeyDown(right, 0);
}

void TCustomOrixHexEditor::IntChangeByte(uint8_t oldByte, uint8_t newByte, int32_t position,
                                         const std::string& undoDesc) {
    if (newByte == oldByte) return;
    CreateUndo(ufKindBytesChanged, position, 1, 0, undoDesc);
    SetDataAt(position, newByte);
    if (!GetInsertMode()) SetChanged(position, true);
    viewport()->update();
    Changed();
}

void TCustomOrixHexEditor::IntChangeWideChar(uint16_t oldUnit, uint16_t newUnit, int32_t position,
                                             const std::string& undoDesc) {
    if (newUnit == oldUnit) return;
    CreateUndo(ufKindBytesChanged, position, 2, 0, undoDesc);
    const uint8_t bytes[2] = {static_cast<uint8_t>(newUnit & 0xFF),
                              static_cast<uint8_t>(newUnit >> 8)};
    WriteBuffer(bytes, position, 2);
    if (!GetInsertMode()) {
        // A byte that keeps its value loses an earlier mark.
        SetChanged(position, (oldUnit & 0xFF) != (newUnit & 0xFF));
        SetChanged(position + 1, (oldUnit >> 8) != (newUnit >> 8));
    }
    viewport()->update();
    Changed();
}
