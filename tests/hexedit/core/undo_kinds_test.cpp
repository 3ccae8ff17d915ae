// The undo storage on its own, through a plain editor that holds its data in a vector: every
// kind of record undone and redone, records and redo blocks that no longer fit the data, and
// the redo block's layout. The editor checks every byte access, so a rule that would let a
// step touch bytes outside the data fails here instead of being stopped by a bounds check.
#include "orix_hex_error.h"
#include "orix_undo_storage.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <gtest/gtest.h>
#include <random>
#include <stdexcept>
#include <tuple>
#include <vector>

namespace {
std::vector<uint8_t> Pattern(size_t n) {
    std::vector<uint8_t> v(n);
    for (size_t i = 0; i < n; ++i) v[i] = static_cast<uint8_t>(0x10 + i * 7);
    return v;
}

auto Tie(const TOrixHUndoState& s) {
    return std::tie(s.CaretPosition, s.CaretInCharField, s.CaretOnSecondDigit, s.InsertMode,
                    s.Modified, s.UnicodeChars, s.UnicodeBigEndian, s.Translation, s.BytesPerUnit);
}
auto Tie(const TOrixHSelectionTriple& t) {
    return std::tie(t.First, t.Last, t.Anchor);
}
std::vector<int32_t> Marked(const std::vector<bool>& marks) {
    std::vector<int32_t> v;
    for (size_t i = 0; i < marks.size(); ++i)
        if (marks[i]) v.push_back(static_cast<int32_t>(i));
    return v;
}
std::vector<int32_t> Positions(const TOrixHBookmarks& marks) {
    std::vector<int32_t> v;
    for (const TOrixHBookmark& m : marks) v.push_back(m.mPosition * 2 + (m.mInCharField ? 1 : 0));
    return v;
}

// An editor without a widget: the data, its changed marks, bookmarks, selection and state.
class PlainEditor : public TOrixHUndoHost {
public:
    std::vector<uint8_t> data = Pattern(16);
    std::vector<bool> marks;
    TOrixHBookmarks bookmarks;
    TOrixHSelectionTriple selection;
    TOrixHUndoState state;
    int32_t limit = 0;

    int32_t UndoLimit() const override { return limit; }
    int32_t DataSize() const override { return static_cast<int32_t>(data.size()); }
    void CheckDataRange(int32_t p, int32_t c) override {
        if (!InData(p, c)) throw EOrixHexEditor("Data position/length out of data bounds");
    }
    void ReadBytes(void* b, int32_t p, int32_t c) override {
        Touch(p, c);
        std::memcpy(b, data.data() + p, static_cast<size_t>(c));
    }
    void WriteBytes(const void* b, int32_t p, int32_t c) override {
        Touch(p, c);
        std::memcpy(data.data() + p, b, static_cast<size_t>(c));
    }
    void PutByte(int32_t p, uint8_t v) override {
        Touch(p, 1);
        data[static_cast<size_t>(p)] = v;
    }
    void InsertBytes(const void* b, int32_t c, int32_t p) override {
        Touch(p, 0);
        const auto* bytes = static_cast<const uint8_t*>(b);
        data.insert(data.begin() + p, bytes, bytes + c);
    }
    void AppendBytes(const void* b, int32_t c) override { InsertBytes(b, c, DataSize()); }
    void DeleteBytes(int32_t from, int32_t to) override {
        Touch(from, to - from);
        data.erase(data.begin() + from, data.begin() + to);
    }
    void InsertNibbleAt(int32_t p) override { ShiftNibble(p, true); }
    void DeleteNibbleAt(int32_t p) override { ShiftNibble(p, false); }
    void ResizeData(int32_t size) override {
        if (size < 0) Fail("negative size");
        data.resize(static_cast<size_t>(size));
    }
    void ReplaceAllData(const void* b, int32_t c) override {
        const auto* bytes = static_cast<const uint8_t*>(b);
        data.assign(bytes, bytes + c);
    }
    bool IsMarkedChanged(int32_t p) const override {
        return p >= 0 && static_cast<size_t>(p) < marks.size() && marks[static_cast<size_t>(p)];
    }
    void MarkChanged(int32_t p, bool changed) override {
        if (p < 0 || p >= DataSize()) return; // as the control: no marks outside the data
        if (marks.size() <= static_cast<size_t>(p)) marks.resize(static_cast<size_t>(p) + 1);
        marks[static_cast<size_t>(p)] = changed;
    }
    void CutChangedMarks(int32_t p) override {
        marks.resize(std::min(marks.size(), static_cast<size_t>(std::max(0, p))));
    }
    // Bookmarks follow their bytes; the size limits are the editor's business.
    void MoveBookmarksForChange(int32_t from, int32_t offset) override { Move(from, offset); }
    void MoveBookmarksAfterChange(int32_t from, int32_t offset) override { Move(from, offset); }
    TOrixHBookmarks BookmarksNow() const override { return bookmarks; }
    void RestoreBookmarks(const TOrixHBookmarks& b) override { bookmarks = b; }
    TOrixHUndoState StateNow() override { return state; }
    TOrixHSelectionTriple SelectionNow() const override { return selection; }
    void RestoreInsertMode(bool on) override { state.InsertMode = on; }
    void RestoreCaret(const TOrixHUndoState& s) override {
        state.CaretPosition = s.CaretPosition;
        state.CaretInCharField = s.CaretInCharField;
        state.CaretOnSecondDigit = s.CaretOnSecondDigit;
    }
    void RestoreModified(bool modified) override { state.Modified = modified; }
    void RestoreCaretAt(int32_t p) override {
        state.CaretPosition = p;
        selection = {};
    }
    void RestoreSelection(const TOrixHSelectionTriple& t) override { selection = t; }
    void RestoreModes(const TOrixHUndoState& s) override {
        state.UnicodeChars = s.UnicodeChars;
        state.UnicodeBigEndian = s.UnicodeBigEndian;
        state.Translation = s.Translation;
        state.BytesPerUnit = s.BytesPerUnit;
    }
    void RestoreCharField(bool inChar) override { state.CaretInCharField = inChar; }
    void CaretToFirstDataColumn() override {}
    void Repaint() override {}
    void NotifyChanged() override {}
    void NotifyBookmarksChanged() override {}

private:
    bool InData(int64_t p, int64_t c) const { return p >= 0 && c >= 0 && p + c <= DataSize(); }
    void Touch(int64_t p, int64_t c) const {
        if (!InData(p, c))
            Fail("bytes " + std::to_string(p) + "+" + std::to_string(c) + " outside " +
                 std::to_string(DataSize()));
    }
    [[noreturn]] static void Fail(const std::string& what) {
        ADD_FAILURE() << what;
        throw std::out_of_range(what);
    }
    void Move(int32_t from, int32_t offset) {
        for (TOrixHBookmark& m : bookmarks)
            if (m.mPosition >= from) m.mPosition += offset;
    }
    // The low nibble of p: a zero nibble enters there (one byte more) or that nibble goes and
    // a zero nibble enters at the end.
    void ShiftNibble(int32_t p, bool insert) {
        Touch(p, 1);
        std::vector<uint8_t> nibbles;
        for (uint8_t b : data) nibbles.insert(nibbles.end(), {uint8_t(b >> 4), uint8_t(b & 15)});
        const auto at = nibbles.begin() + 2 * p + 1;
        if (insert) {
            nibbles.insert(at, 0);
            nibbles.push_back(0);
        } else {
            nibbles.erase(at);
            nibbles.push_back(0);
        }
        data.resize(nibbles.size() / 2);
        for (size_t i = 0; i < data.size(); ++i)
            data[i] = static_cast<uint8_t>(nibbles[2 * i] << 4 | nibbles[2 * i + 1]);
    }
};

const TOrixHUndoState kBefore{7, false, true, false, false, false, false, tkDos8, 2};
const TOrixHUndoState kAfter{9, true, false, true, true, true, true, tkMac, 1};
const TOrixHSelectionTriple kSelBefore{1, 2, 1};
const TOrixHSelectionTriple kSelAfter{3, 5, 3};

// One step: the record the editor makes, then the change it makes to its data.
struct StepCase {
    const char* name;
    TOrixHUndoFlag kind;
    int32_t pos, count, repl;
    std::function<void(PlainEditor&)> change;
    // Bytes behind the change keep their bookmark (not for the nibble kinds, which change
    // every later byte).
    bool bookmarksFollowBytes = true;
};

const uint8_t kNew[4] = {0xA1, 0xA2, 0xA3, 0xA4};

std::vector<StepCase> Steps() {
    using E = PlainEditor;
    return {
        {"byte", ufKindBytesChanged, 4, 1, 0, [](E& e) { e.data[4] = 0xEE; }},
        {"unit", ufKindBytesChanged, 4, 2, 0,
         [](E& e) {
             e.data[4] = e.data[5] = 0xEE;
             e.marks[5] = true; // typed over: marked as changed
         }},
        {"removal", ufKindByteRemoved, 3, 5, 0,
         [](E& e) { e.data.erase(e.data.begin() + 3, e.data.begin() + 8); }},
        {"insertion", ufKindInsertBuffer, 2, 3, 0,
         [](E& e) { e.data.insert(e.data.begin() + 2, kNew, kNew + 3); }},
        {"replace longer", ufKindReplace, 2, 4, 1,
         [](E& e) {
             e.data.erase(e.data.begin() + 2);
             e.data.insert(e.data.begin() + 2, kNew, kNew + 4);
         }},
        {"replace shorter", ufKindReplace, 2, 1, 4,
         [](E& e) {
             e.data.erase(e.data.begin() + 2, e.data.begin() + 6);
             e.data.insert(e.data.begin() + 2, kNew[0]);
         }},
        {"append", ufKindAppendBuffer, 16, 3, 0,
         [](E& e) { e.data.insert(e.data.end(), kNew, kNew + 3); }},
        {"nibble insert", ufKindNibbleInsert, 4, 0, 0, [](E& e) { e.InsertNibbleAt(4); }, false},
        {"nibble delete", ufKindNibbleDelete, 4, 0, 0, [](E& e) { e.DeleteNibbleAt(4); }, false},
        {"convert", ufKindConvert, 2, 6, 0,
         [](E& e) { std::fill(e.data.begin() + 2, e.data.begin() + 8, 0x3F); }},
        {"cursor", ufKindSelection, 5, 3, 0, [](E&) {}},
        {"all data", ufKindAllData, 0, 0, 0, [](E& e) { e.data.assign(kNew, kNew + 4); }, false},
    };
}

// The editor as it was before the step: a mark on byte 0 (and on the changed byte), two
// bookmarks on the first and the last byte, a selection and a state that the step changes.
void Prepare(PlainEditor& e, const StepCase& c) {
    e.marks = {true};
    if (c.kind == ufKindBytesChanged) {
        e.marks.resize(6);
        e.marks[4] = true;
    }
    e.bookmarks[0] = {0, false};
    e.bookmarks[1] = {15, true};
    e.selection = kSelBefore;
    e.state = kBefore;
}

void Record(PlainEditor& e, TOrixHUndoStorage& s, const StepCase& c) {
    s.CreateUndo(c.kind, c.pos, c.count, c.repl, std::string("step ") + c.name);
    c.change(e);
    e.selection = kSelAfter;
    e.state = kAfter;
}

std::vector<uint8_t> Stream(TOrixHUndoStorage& s) {
    return {s.Memory(), s.Memory() + s.GetSize()};
}
} // namespace

TEST(UndoKinds, EveryKindUndoesAndRedoesThroughItsEditor) {
    for (const StepCase& c : Steps()) {
        SCOPED_TRACE(c.name);
        PlainEditor e;
        TOrixHUndoStorage s(&e);
        Prepare(e, c);
        const std::vector<uint8_t> original = e.data;
        const std::vector<int32_t> marks = Marked(e.marks);
        const TOrixHBookmarks bookmarks = e.bookmarks;
        Record(e, s, c);
        const std::vector<uint8_t> changed = e.data;
        const TOrixHBookmarks moved = e.bookmarks;
        if (c.bookmarksFollowBytes) {
            EXPECT_EQ(e.data.at(static_cast<size_t>(moved[1].mPosition)), original[15]);
            EXPECT_EQ(moved[0].mPosition, 0);
        }
        const std::vector<uint8_t> record = Stream(s);

        ASSERT_TRUE(s.Undo());
        EXPECT_EQ(e.data, original);
        EXPECT_EQ(Marked(e.marks), marks);
        EXPECT_EQ(Positions(e.bookmarks), Positions(bookmarks));
        TOrixHUndoState state = kBefore;
        TOrixHSelectionTriple selection = kSelBefore;
        if (c.kind == ufKindSelection) {
            // The record is the caret and the selection it names.
            state.CaretPosition = c.pos;
            selection = {c.pos, c.pos + c.count - 1, c.pos};
        }
        EXPECT_EQ(Tie(e.state), Tie(state));
        EXPECT_EQ(Tie(e.selection), Tie(selection));
        EXPECT_EQ(s.GetSize(), 0);
        ASSERT_TRUE(s.CanRedo());

        ASSERT_TRUE(s.Redo());
        EXPECT_EQ(e.data, changed);
        EXPECT_EQ(Positions(e.bookmarks), Positions(moved));
        EXPECT_EQ(Tie(e.state), Tie(kAfter));
        EXPECT_EQ(Tie(e.selection), Tie(kSelAfter));
        EXPECT_EQ(Stream(s), record); // the record is back byte for byte
        EXPECT_EQ(s.RecordCount(), 1);
        EXPECT_EQ(s.StepDescription(), std::string("step ") + c.name);
        EXPECT_FALSE(s.CanRedo());

        ASSERT_TRUE(s.Undo());
        EXPECT_EQ(e.data, original);
    }
}

namespace {
StepCase StepNamed(const std::string& name) {
    for (const StepCase& c : Steps())
        if (name == c.name) return c;
    throw std::invalid_argument(name);
}

// Runs a storage call; a byte access outside the data has failed the test already.
bool Applies(const std::function<bool()>& call) {
    try {
        return call();
    } catch (const std::out_of_range&) {
        return false;
    }
}
} // namespace

// The data changed behind the storage's back, cut to every shorter size: undo and redo either
// apply inside the data or refuse before any byte moves, and a refused step is gone.
TEST(UndoKinds, StepsThatNoLongerFitTheDataAreRefused) {
    for (const StepCase& c : Steps()) {
        for (size_t size = 0; size < 20; ++size) {
            SCOPED_TRACE(testing::Message() << c.name << ", data cut to " << size);
            {
                PlainEditor e;
                TOrixHUndoStorage s(&e);
                Prepare(e, c);
                Record(e, s, c);
                if (size >= e.data.size()) continue;
                e.data.resize(size);
                const std::vector<uint8_t> cut = e.data;
                if (!Applies([&] { return s.Undo(); })) {
                    EXPECT_EQ(e.data, cut);
                    EXPECT_EQ(s.GetSize(), 0);
                    EXPECT_FALSE(s.CanRedo());
                }
            }
            PlainEditor e;
            TOrixHUndoStorage s(&e);
            Prepare(e, c);
            Record(e, s, c);
            ASSERT_TRUE(s.Undo());
            if (size >= e.data.size()) continue;
            e.data.resize(size);
            const std::vector<uint8_t> cut = e.data;
            if (!Applies([&] { return s.Redo(); })) {
                EXPECT_EQ(e.data, cut);
                EXPECT_FALSE(s.CanRedo());
            }
        }
    }
}

namespace {
uint32_t U32At(const std::vector<uint8_t>& b, size_t at) {
    return static_cast<uint32_t>(b.at(at)) | static_cast<uint32_t>(b.at(at + 1)) << 8 |
           static_cast<uint32_t>(b.at(at + 2)) << 16 | static_cast<uint32_t>(b.at(at + 3)) << 24;
}
} // namespace

// The redo block, made when a step is undone: the header in the record layout with
// RecordSize 30 + n and n + 1 data bytes, the ten bookmarks (8 bytes each), the selection.
TEST(UndoKinds, RedoBlockLayout) {
    const struct {
        const char* step;
        uint32_t n;
        size_t from, length, zeros; // the bytes kept, from the data after the step
        int32_t count;              // the block's EditCount
        uint32_t marks;             // flags 11 and 12
    } cases[] = {
        {"unit", 1, 4, 2, 0, 2, 1u << ufFlagByte1Changed | 1u << ufFlagByte2Changed},
        {"byte", 0, 4, 1, 0, 1, 1u << ufFlagByte1Changed},
        {"removal", 0, 0, 0, 1, 5, 0},
        {"insertion", 3, 2, 3, 1, 3, 0},
        {"replace shorter", 1, 2, 1, 1, 1, 0},
        {"append", 3, 16, 3, 1, 3, 0},
        {"nibble delete", 16, 0, 16, 1, 16, 0},
        {"nibble insert", 17, 0, 17, 1, 17, 0},
        {"convert", 6, 2, 6, 1, 6, 0},
        {"cursor", 0, 0, 0, 1, 3, 0},
        {"all data", 4, 0, 4, 1, 4, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.step);
        const StepCase step = StepNamed(c.step);
        PlainEditor e;
        TOrixHUndoStorage s(&e);
        Prepare(e, step);
        Record(e, s, step);
        e.marks.assign(6, false);
        e.marks[4] = e.marks[5] = true;
        e.bookmarks[9] = {-1, true};
        const std::vector<uint8_t> after = e.data;
        const TOrixHBookmarks bookmarksAfter = e.bookmarks;
        ASSERT_TRUE(s.Undo());
        const std::vector<uint8_t>& b = s.RedoBlock();
        ASSERT_EQ(b.size(), 29 + c.length + c.zeros + 80 + 12);
        EXPECT_EQ(U32At(b, 0), 30 + c.n);
        const uint32_t state = 1u << ufFlagModified | 1u << ufFlagInCharField |
                               1u << ufFlagInsertMode | 1u << ufFlagIsUnicode |
                               1u << ufFlagIsUnicodeBigEndian;
        EXPECT_EQ(U32At(b, 4), (1u << step.kind) | state | c.marks);
        EXPECT_EQ(U32At(b, 8), 9u);
        EXPECT_EQ(U32At(b, 12), static_cast<uint32_t>(step.pos));
        EXPECT_EQ(U32At(b, 16), static_cast<uint32_t>(c.count));
        EXPECT_EQ(U32At(b, 20), static_cast<uint32_t>(step.repl));
        EXPECT_EQ(b[24], tkMac);
        EXPECT_EQ(U32At(b, 25), 1u);
        std::vector<uint8_t> kept(after.begin() + static_cast<ptrdiff_t>(c.from),
                                  after.begin() + static_cast<ptrdiff_t>(c.from + c.length));
        kept.resize(c.length + c.zeros);
        EXPECT_EQ(std::vector<uint8_t>(b.begin() + 29, b.begin() + 29 + kept.size()), kept);
        const size_t marks = 29 + kept.size();
        const std::vector<uint8_t> bookmarks(b.begin() + marks, b.begin() + marks + 80);
        for (size_t i = 0; i < 10; ++i) {
            const TOrixHBookmark& m = bookmarksAfter[i];
            SCOPED_TRACE(i);
            EXPECT_EQ(U32At(bookmarks, i * 8), static_cast<uint32_t>(m.mPosition));
            EXPECT_EQ(bookmarks[i * 8 + 4], m.mInCharField ? 1 : 0);
            EXPECT_EQ(U32At(bookmarks, i * 8 + 4) >> 8, 0u);
        }
        EXPECT_EQ(U32At(b, marks + 80), static_cast<uint32_t>(kSelAfter.First));
        EXPECT_EQ(U32At(b, marks + 84), static_cast<uint32_t>(kSelAfter.Last));
        EXPECT_EQ(U32At(b, marks + 88), static_cast<uint32_t>(kSelAfter.Anchor));
    }
}

// Records as a damaged or hand-made stream may hold them: sizes that disagree or run past the
// stream, kinds and flags at random, positions and counts outside the data or negative, a
// record count that is too high. Whatever the storage is asked, it reads only inside its
// stream (the sanitizer build sees any other read) and touches only bytes of the data.
TEST(UndoKinds, DamagedRecordsAreCheckedBeforeTheyAreTrusted) {
    std::mt19937 rng(7);
    auto R = [&](uint32_t n) { return static_cast<int32_t>(rng() % n); };
    auto Field = [&] { return R(4) != 0 ? R(24) - 2 : static_cast<int32_t>(rng()); };
    int undone = 0, redone = 0;
    for (int round = 0; round < 20000; ++round) {
        PlainEditor e;
        e.data = Pattern(static_cast<size_t>(R(20)));
        TOrixHUndoStorage s(&e);
        const int records = 1 + R(3);
        for (int r = 0; r < records; ++r) {
            std::vector<uint8_t> b(static_cast<size_t>(33 + R(24)));
            for (uint8_t& x : b) x = static_cast<uint8_t>(rng());
            const auto size = R(4) != 0 ? static_cast<uint32_t>(b.size()) : rng() % 80;
            // A kind bit (or none), state flags, the optional parts now and then.
            const uint32_t flags = R(3) != 0 ? 0x0EF800u : 0x1FF800u;
            UndoPutU32(b.data(), size);
            UndoPutU32(b.data() + 4, 1u << R(12) | (static_cast<uint32_t>(rng()) & flags));
            UndoPutI32(b.data() + 8, R(30) - 5);
            UndoPutI32(b.data() + 12, Field());
            UndoPutI32(b.data() + 16, Field());
            UndoPutI32(b.data() + 20, Field());
            b[24] = static_cast<uint8_t>(R(12));
            UndoPutI32(b.data() + 25, 1 << R(4));
            UndoPutU32(b.data() + b.size() - 4, R(5) != 0 ? size : rng() % 80);
            if (R(3) == 0) UndoPutU32(b.data() + b.size() - 8, rng() % 12); // description length
            s.Write(b.data(), static_cast<int64_t>(b.size()));
        }
        s.SetCount(records + R(2));
        for (int op = 0; op < 6; ++op) {
            try {
                switch (R(6)) {
                case 0:
                case 1:
                    undone += s.Undo();
                    break;
                case 2:
                    redone += s.Redo();
                    break;
                case 3:
                    s.AddSelection(R(20), R(5));
                    break;
                case 4:
                    s.RemoveLastUndo();
                    break;
                default:
                    s.GetLastUndoKind();
                    break;
                }
            } catch (const EOrixHexEditor&) {
                // refused: fine
            } catch (const std::out_of_range&) {
                return; // the editor has failed the test already
            }
        }
    }
    // The rounds reach the appliers, not only the checks in front of them.
    EXPECT_GT(undone, 500);
    EXPECT_GT(redone, 200);
}
