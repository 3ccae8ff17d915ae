// Combined undo steps near MaxUndo: trimming drops whole steps, a move is never reported as
// failed because its undo could not be kept, GetCanUndo tells the truth and every undo gives
// back a state that existed. A seeded random model of the history checks it all together.
#include "hex_test_env.h"

#include <gtest/gtest.h>
#include <optional>
#include <random>
#include <utility>

namespace {
using Editor = TOrixHexEditorEx;
using Bytes = std::vector<uint8_t>;

Bytes Fill(size_t size, uint8_t seed) {
    Bytes data(size);
    for (size_t i = 0; i < size; ++i) data[i] = static_cast<uint8_t>(seed + i * 13 + (i >> 8));
    return data;
}

// The count bytes at from go to the block's new place to (a position in the data without
// the block), as one combined step. The copy first, as the control's own drop makes it, or
// the removal first, as a host may.
void Move(Editor& e, int32_t from, int32_t count, int32_t to, bool copyFirst) {
    const Bytes data = DataOf(e);
    const Bytes block(data.begin() + from, data.begin() + from + count);
    if (copyFirst) {
        const int32_t at = to <= from ? to : to + count;
        e.InsertBuffer(block.data(), count, at, "", false);
        const int32_t old = at <= from ? from + count : from;
        e.NewSelection(old, old + count - 1);
        e.DeleteSelection("");
    } else {
        e.NewSelection(from, from + count - 1);
        e.DeleteSelection("");
        e.InsertBuffer(block.data(), count, to, "", false);
    }
    e.CombineUndo(2, "Data moved");
}

Bytes Moved(const Bytes& data, int32_t from, int32_t count, int32_t to) {
    Bytes rest = data;
    const Bytes block(rest.begin() + from, rest.begin() + from + count);
    rest.erase(rest.begin() + from, rest.begin() + from + count);
    rest.insert(rest.begin() + to, block.begin(), block.end());
    return rest;
}

// What GetCanUndo promised comes true: the undo succeeds and gives back want, or it is
// refused and the data stays.
void ExpectUndoAsPromised(Editor& e, const Bytes& want) {
    const Bytes now = DataOf(e);
    const bool promised = e.GetCanUndo();
    EXPECT_EQ(e.Undo(), promised);
    EXPECT_TRUE(DataOf(e) == (promised ? want : now)) << "undone to " << e.GetDataSize();
}
} // namespace

TEST(UndoLimit, MoveLargerOrSmallerThanTheLimit) {
    TestApp();
    const int32_t kib = 1024;
    const struct {
        int32_t count;
        bool copyFirst;
        bool undoable;
    } cases[] = {
        {512 * kib, true, true},
        {512 * kib, false, true},
        // The copy is made first: its record is small, so the removal's large one comes
        // after it and the step stays whole as the newest one.
        {1536 * kib, true, true},
        // The removal's record is over the limit before the copy is recorded: it goes, and
        // with it the step, whole.
        {1536 * kib, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.count << (c.copyFirst ? " copy first" : ""));
        Editor e;
        const Bytes original = Fill(4 * 1024 * kib, 1);
        LoadBytes(e, original);
        ASSERT_EQ(e.GetMaxUndo(), 1024 * kib);
        e.IntChangeByte(e.GetDataAt(0), 0x00, 0, "");
        const Bytes changed = DataOf(e);
        EXPECT_EQ(ErrorOf([&] { Move(e, 8, c.count, c.count + 100, c.copyFirst); }), "");
        EXPECT_TRUE(DataOf(e) == Moved(changed, 8, c.count, c.count + 100));
        EXPECT_EQ(e.GetCanUndo(), c.undoable);
        if (c.undoable) {
            EXPECT_EQ(e.GetUndoDescription(), "Data moved");
        }
        ExpectUndoAsPromised(e, changed);
        EXPECT_FALSE(e.GetCanRedo());
    }
}

TEST(UndoLimit, MoveOfTwentyBytesAtEveryLimitNearIt) {
    TestApp();
    const Bytes original = Fill(64, 7);
    for (int32_t limit = 30; limit <= 110; ++limit)
        for (bool copyFirst : {true, false}) {
            SCOPED_TRACE(testing::Message() << "MaxUndo " << limit << (copyFirst ? " copy" : ""));
            Editor e;
            LoadBytes(e, original);
            e.SetMaxUndo(limit);
            EXPECT_EQ(ErrorOf([&] { Move(e, 4, 20, 30, copyFirst); }), "");
            EXPECT_EQ(DataOf(e), Moved(original, 4, 20, 30));
            ExpectUndoAsPromised(e, original);
        }
}

namespace {
// A large insert, then two small ones combined: the data before the two and after them.
std::pair<Bytes, Bytes> LargeInsertThenTwoCombined(Editor& e) {
    const Bytes sixty = Fill(60, 9);
    e.InsertBuffer(sixty.data(), 60, 0, "", true);
    const Bytes beforeTwo = DataOf(e);
    e.InsertBuffer("a", 1, 5, "", true);
    e.InsertBuffer("b", 1, 6, "", true);
    e.CombineUndo(2, "two inserts");
    return {beforeTwo, DataOf(e)};
}
} // namespace

TEST(UndoLimit, CombinedStepTrimmedWhole) {
    TestApp();
    Editor e;
    LoadBytes(e, Fill(16, 3));
    e.SetMaxUndo(150);
    const auto [beforeTwo, afterTwo] = LargeInsertThenTwoCombined(e);
    e.InsertBuffer("c", 1, 7, "", true);
    ASSERT_TRUE(e.Undo());
    EXPECT_EQ(DataOf(e), afterTwo);
    ExpectUndoAsPromised(e, beforeTwo);
}

// A history that comes into the storage from outside, as a dump loaded back, may hold a
// combined step: trimming keeps it whole there too, at every limit.
TEST(UndoLimit, CombinedStepOfALoadedHistoryTrimmedWhole) {
    TestApp();
    Editor source;
    const Bytes original = Fill(16, 3);
    LoadBytes(source, original);
    const auto [beforeTwo, afterTwo] = LargeInsertThenTwoCombined(source);
    TMemoryStream dump;
    source.UndoStorage().SaveToStream(dump);
    const int32_t records = source.UndoStorage().RecordCount();
    ASSERT_EQ(records, 4);
    for (int32_t limit = 30; limit <= 260; ++limit)
        for (bool written : {false, true}) {
            SCOPED_TRACE(testing::Message() << "MaxUndo " << limit << (written ? " written" : ""));
            Editor e;
            LoadBytes(e, afterTwo);
            TOrixHUndoStorage& s = e.UndoStorage();
            if (written) {
                s.Write(dump.Memory(), dump.GetSize());
            } else {
                s.LoadFromStream(dump);
            }
            s.SetCount(records);
            e.SetMaxUndo(limit);
            e.InsertBuffer("c", 1, 7, "", true);
            ExpectUndoAsPromised(e, afterTwo);
            ExpectUndoAsPromised(e, beforeTwo);
            ExpectUndoAsPromised(e, original);
        }
}

namespace {
// A step as the model keeps it: the data before it, and whether it is one record that redo
// can repeat.
struct ModelStep {
    Bytes before;
    bool redoable = true;
};

class HistoryModel {
public:
    HistoryModel(uint32_t seed, int32_t limit) : rng_(seed), limit_(limit) {
        LoadBytes(e_, Fill(Pick(0, 120), static_cast<uint8_t>(seed)));
        e_.SetMaxUndo(limit);
        e_.resize(600, 300);
    }

    void Run(int actions) {
        for (int i = 0; i < actions && !testing::Test::HasFatalFailure(); ++i) {
            SCOPED_TRACE(testing::Message() << "action " << i);
            const int what = Pick(0, 99);
            if (what < 40) {
                Step();
            } else if (what < 50) {
                Group();
            } else if (what < 58) {
                Combine();
            } else if (what < 66) {
                MoveBlock();
            } else if (what < 90) {
                Undo();
            } else {
                Redo();
            }
            // Without a limit nothing is trimmed: every step of the model can be undone.
            if (limit_ == 0) {
                ASSERT_EQ(e_.GetCanUndo(), !steps_.empty());
            }
        }
    }

private:
    int32_t Pick(int32_t low, int32_t high) {
        // Not a distribution of the library: those differ between libraries, this does not.
        return low + static_cast<int32_t>(rng_() % static_cast<uint32_t>(high - low + 1));
    }
    int32_t Size() { return e_.GetDataSize(); }

    // One editing operation of the editor; false when it does not apply to the data.
    bool Edit() {
        const int32_t size = Size();
        const int32_t pos = Pick(0, std::max(0, size - 1));
        switch (Pick(0, 5)) {
        case 0:
            if (size == 0) return false;
            e_.IntChangeByte(e_.GetDataAt(pos),
                             static_cast<uint8_t>(e_.GetDataAt(pos) ^ Pick(1, 255)), pos, "");
            return true;
        case 1: {
            const Bytes bytes = Fill(static_cast<size_t>(Pick(1, 2 * limit_ + 8)), 0x40);
            e_.InsertBuffer(bytes.data(), static_cast<int32_t>(bytes.size()), Pick(0, size), "",
                            Pick(0, 1) == 1);
            return true;
        }
        case 2: {
            if (size == 0) return false;
            e_.NewSelection(pos, Pick(pos, size - 1));
            e_.DeleteSelection("");
            return true;
        }
        case 3: {
            const Bytes bytes = Fill(static_cast<size_t>(Pick(1, 40)), 0x90);
            e_.AppendBuffer(bytes.data(), static_cast<int32_t>(bytes.size()), "", false);
            return true;
        }
        case 4: {
            if (size == 0) return false;
            const int32_t old = Pick(1, size - pos);
            const Bytes bytes = Fill(static_cast<size_t>(Pick(1, limit_ + 8)), 0xC0);
            e_.Replace(bytes.data(), pos, old, static_cast<int32_t>(bytes.size()), "", false);
            return true;
        }
        default:
            if (size == 0) return false;
            e_.InsertNibble(pos, Pick(0, 1) == 1, "");
            return true;
        }
    }

    void Recorded(const Bytes& before, bool redoable) {
        steps_.push_back({before, redoable});
        redo_.reset();
    }

    void Step() {
        const Bytes before = DataOf(e_);
        if (Edit()) Recorded(before, true);
    }

    void Group() {
        const Bytes before = DataOf(e_);
        e_.UndoBeginUpdate("group");
        bool changed = false;
        for (int n = Pick(1, 3); n > 0; --n) changed = Edit() || changed;
        e_.UndoEndUpdate();
        if (changed) Recorded(before, true);
        redo_.reset(); // the group's record was made, if only to go again
    }

    // A host's or the control's own move, larger than the limit as often as not.
    void MoveBlock() {
        const int32_t size = Size();
        if (size < 2) return;
        const int32_t count = Pick(1, std::min(size - 1, 2 * limit_ + 8));
        const int32_t from = Pick(0, size - count);
        const int32_t to = Pick(0, size - count);
        const Bytes before = DataOf(e_);
        ASSERT_EQ(ErrorOf([&] { Move(e_, from, count, to, Pick(0, 1) == 1); }), "");
        ASSERT_EQ(DataOf(e_), Moved(before, from, count, to));
        Recorded(before, false);
    }

    void Combine() {
        // Steps that happened are joined without an error, whatever the limit took of them.
        const auto count = static_cast<int32_t>(std::min<size_t>(steps_.size(), Pick(0, 4)));
        ASSERT_EQ(ErrorOf([&] { e_.CombineUndo(count, "joined"); }), "");
        Bytes before = DataOf(e_);
        if (count > 0) {
            before = steps_[steps_.size() - static_cast<size_t>(count)].before;
            steps_.resize(steps_.size() - static_cast<size_t>(count));
        }
        Recorded(before, false);
    }

    void Undo() {
        const Bytes now = DataOf(e_);
        const bool promised = e_.GetCanUndo();
        ASSERT_EQ(ErrorOf([&] { ASSERT_EQ(e_.Undo(), promised); }), "");
        if (!promised) {
            ASSERT_EQ(DataOf(e_), now);
            return;
        }
        // Trimming takes the oldest steps only: the newest one comes back, exactly.
        ASSERT_FALSE(steps_.empty());
        ASSERT_EQ(DataOf(e_), steps_.back().before);
        if (steps_.back().redoable)
            redo_ = ModelStep{now, true};
        else
            redo_.reset();
        steps_.pop_back();
        ASSERT_EQ(e_.GetCanRedo(), redo_.has_value());
    }

    void Redo() {
        const Bytes now = DataOf(e_);
        const bool promised = e_.GetCanRedo();
        ASSERT_EQ(promised, redo_.has_value());
        ASSERT_EQ(ErrorOf([&] { ASSERT_EQ(e_.Redo(), promised); }), "");
        if (!promised) {
            ASSERT_EQ(DataOf(e_), now);
            return;
        }
        ASSERT_EQ(DataOf(e_), redo_->before);
        steps_.push_back({now, true});
        redo_.reset();
    }

    std::mt19937 rng_;
    int32_t limit_;
    Editor e_;
    std::vector<ModelStep> steps_;
    std::optional<ModelStep> redo_;
};
} // namespace

TEST(UndoLimit, RandomHistoriesAgainstAModel) {
    TestApp();
    const int32_t limits[] = {0, 1, 34, 60, 100, 150, 240, 400};
    for (uint32_t seed = 1; seed <= 40; ++seed)
        for (int32_t limit : limits) {
            SCOPED_TRACE(testing::Message() << "seed " << seed << " MaxUndo " << limit);
            HistoryModel(seed * 7919 + static_cast<uint32_t>(limit), limit).Run(150);
            if (testing::Test::HasFatalFailure()) return;
        }
}
