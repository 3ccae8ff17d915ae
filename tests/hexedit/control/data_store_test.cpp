// The data store: loading with progress and cancel, saving, modified flag and the
// changed-byte map.
#include "hex_test_env.h"
#include "sysutils.h"

#include <QTemporaryDir>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {
std::string ReadFile(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// A save under name is refused with that message.
void ExpectSaveRefused(TOrixHexEditor& editor, const std::string& name,
                       const std::string& message) {
    try {
        editor.SaveToFile(name, true);
        ADD_FAILURE() << "saved";
    } catch (const EFCreateError& e) {
        EXPECT_EQ(std::string(e.what()), message);
    }
}

// A stream that claims a size without holding the bytes.
class HugeStream : public TStream {
public:
    explicit HugeStream(int64_t size) : size_(size) {}
    int64_t Read(void*, int64_t) override { return 0; }
    int64_t Write(const void*, int64_t) override { return 0; }
    int64_t Seek(int64_t offset, TSeekOrigin) override { return pos_ = offset; }
    int64_t GetSize() override { return size_; }
    void SetSize(int64_t) override {}

private:
    int64_t size_;
    int64_t pos_ = 0;
};
} // namespace

TEST(DataStore, ReadBufferCopiesNothingOnBadRange) {
    TestApp();
    TOrixHexEditor editor;
    LoadBytes(editor, Pattern(16));
    std::vector<uint8_t> out(17, 0xEE);
    editor.ReadBuffer(out.data(), 0, 16);
    EXPECT_EQ(std::vector<uint8_t>(out.begin(), out.begin() + 16), Pattern(16));
    std::fill(out.begin(), out.end(), 0xEE);
    EXPECT_THROW(editor.ReadBuffer(out.data(), 0, 17), EOrixHexEditor);
    EXPECT_EQ(out, std::vector<uint8_t>(17, 0xEE));
}

TEST(DataStore, ProgressReports) {
    TestApp();
    struct Case {
        size_t size;
        std::vector<int> percents;
    };
    const Case cases[] = {
        {0, {}},
        {61440, {100}},
        {61441, {0, 100}},
        {61440 * 4, {0, 25, 50, 100}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.size);
        TOrixHexEditor editor;
        std::vector<int> seen;
        editor.OnProgress = [&](TCustomOrixHexEditor*, TOrixHProgressKind kind, const std::string&,
                                uint8_t percent, bool&) {
            EXPECT_EQ(kind, pkLoad);
            seen.push_back(percent);
        };
        LoadBytes(editor, Pattern(c.size));
        EXPECT_EQ(seen, c.percents);
        EXPECT_EQ(editor.GetDataSize(), static_cast<int32_t>(c.size));
        EXPECT_EQ(editor.Col(), 2);
        EXPECT_EQ(editor.Row(), 2);
    }
}

TEST(DataStore, CancelledLoadLeavesEmptyData) {
    TestApp();
    TOrixHexEditor editor;
    LoadBytes(editor, Pattern(100));
    int calls = 0;
    editor.OnProgress = [&](TCustomOrixHexEditor*, TOrixHProgressKind, const std::string&, uint8_t,
                            bool& cancel) { cancel = ++calls == 2; };
    try {
        LoadBytes(editor, Pattern(200000));
        FAIL() << "not cancelled";
    } catch (const EOrixHexEditor& e) {
        EXPECT_STREQ(e.what(), "Operation cancelled");
    }
    EXPECT_EQ(editor.GetDataSize(), 0);
    // The layout follows the empty data: one empty data row, the gutter for offset 0.
    EXPECT_EQ(editor.RowCount(), 3);
    EXPECT_EQ(editor.OffsetTextWidth(), 4); // "0x0" and one
    EXPECT_EQ(editor.HexRulerText().size(), 32u);
    EXPECT_FALSE(editor.HasDiskFile());
}

TEST(DataStore, HugeStreamRefusedBeforeEmptying) {
    TestApp();
    TOrixHexEditor editor;
    LoadBytes(editor, Pattern(10));
    HugeStream huge(int64_t{1} << 31);
    EXPECT_THROW(editor.LoadFromStream(huge), EOrixHexEditor);
    EXPECT_EQ(editor.GetDataSize(), 10);
}

TEST(DataStore, ModifiedFlagAndChangedMap) {
    TestApp();
    TOrixHexEditorEx editor;
    LoadBytes(editor, Pattern(16));
    EXPECT_FALSE(editor.GetModified());
    const uint8_t b = 0x55;
    editor.WriteBuffer(&b, 3, 1); // the extension control marks writes as modifications
    editor.SetChanged(3, true);
    EXPECT_TRUE(editor.GetModified());
    EXPECT_TRUE(editor.HasChanged(3));
    editor.SetModified(false);
    EXPECT_FALSE(editor.GetModified());
    EXPECT_FALSE(editor.HasChanged(3));

    editor.SetChanged(1, true);
    editor.SetChanged(1, false);
    EXPECT_EQ(editor.ChangedByteMapSize(), 2);
    editor.SetChanged(5, false); // clearing past the end does not grow it
    EXPECT_EQ(editor.ChangedByteMapSize(), 2);
    editor.SetChanged(5, true);
    EXPECT_EQ(editor.ChangedByteMapSize(), 6);
    for (int i = 1; i < 6; ++i) EXPECT_EQ(editor.HasChanged(i), i == 5) << i;
    editor.SetChanged(100, true); // outside the data: ignored
    EXPECT_EQ(editor.ChangedByteMapSize(), 6);
    EXPECT_FALSE(editor.HasChanged(-1));

    editor.SetInsertMode(true);
    editor.SetChanged(2, true);
    EXPECT_FALSE(editor.HasChanged(2));
}

TEST(DataStore, ModifiedNeedsDataOrExistingFile) {
    TestApp();
    QTemporaryDir dir;
    TOrixHexEditorEx editor;
    LoadBytes(editor, {});
    const uint8_t none = 0;
    editor.WriteBuffer(&none, 0, 0);
    EXPECT_FALSE(editor.GetModified());
    const std::string name = dir.filePath("doc.bin").toStdString();
    std::ofstream(name) << "x";
    editor.CreateEmptyFile(name);
    editor.WriteBuffer(&none, 0, 0);
    EXPECT_TRUE(editor.GetModified());
}

TEST(DataStore, SaveRules) {
    TestApp();
    QTemporaryDir dir;
    TOrixHexEditor editor;
    editor.CreateEmptyFile("");
    EXPECT_EQ(editor.DocumentName(), "Untitled");
    LoadBytes(editor, Pattern(100));
    try {
        editor.SaveToFile("Untitled", true);
        FAIL();
    } catch (const EFOpenError& e) {
        EXPECT_STREQ(e.what(), "Cannot save readonly file Untitled.");
    }
    EXPECT_FALSE(FileExists("Untitled"));
    const std::string name = dir.filePath("out.bin").toStdString();
    editor.SaveToFile(name, true);
    EXPECT_EQ(ReadFile(name).size(), 100u);
    EXPECT_EQ(editor.DocumentName(), name);
    EXPECT_NO_THROW(editor.SaveToFile(name, true));
    // No temporary file stays behind.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 1);
}

// A pipe under the name, whether it is the document's or another: refused with the reason,
// and the pipe stays.
TEST(DataStore, SavingOverWhatIsNoPlainFileIsRefused) {
    TestApp();
    QTemporaryDir dir;
    const std::string doc = dir.filePath("doc.bin").toStdString();
    std::ofstream(doc, std::ios::binary) << "document";
    TOrixHexEditor editor;
    editor.LoadFromFile(doc);
    const std::string pipe = dir.filePath("pipe").toStdString();
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    ::unlink(doc.c_str());
    ASSERT_EQ(mkfifo(doc.c_str(), 0600), 0);
    for (const std::string& name : {pipe, doc}) {
        ExpectSaveRefused(editor, name, "Cannot create file " + name + " (not a plain file)");
        struct stat st {};
        ASSERT_EQ(::lstat(name.c_str(), &st), 0);
        EXPECT_TRUE(S_ISFIFO(st.st_mode)) << name;
    }
    EXPECT_EQ(editor.DocumentName(), doc);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::System).size(), 2);
}

// A file that was made read-only after it was loaded, or another read-only file, is not
// replaced by a save: the rename would need only the folder's permission.
TEST(DataStore, SavingOverAReadOnlyFileIsRefused) {
    TestApp();
    QTemporaryDir dir;
    const std::string doc = dir.filePath("doc.bin").toStdString();
    const std::string other = dir.filePath("other.bin").toStdString();
    std::ofstream(doc, std::ios::binary) << "document";
    std::ofstream(other, std::ios::binary) << "other";
    TOrixHexEditor editor;
    editor.LoadFromFile(doc);
    ASSERT_FALSE(editor.ReadOnlyFile());
    editor.SetDataAt(0, 'D');
    for (const std::string& name : {doc, other}) {
        ::chmod(name.c_str(), 0444);
        ExpectSaveRefused(editor, name, "Cannot create file " + name);
    }
    EXPECT_EQ(ReadFile(doc), "document");
    EXPECT_EQ(ReadFile(other), "other");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 2);
}

TEST(DataStore, CancelledSaveKeepsOldFile) {
    TestApp();
    QTemporaryDir dir;
    const std::string name = dir.filePath("keep.bin").toStdString();
    std::ofstream(name, std::ios::binary) << "old contents";
    TOrixHexEditor editor;
    LoadBytes(editor, Pattern(200000));
    editor.OnProgress = [](TCustomOrixHexEditor*, TOrixHProgressKind, const std::string&,
                           uint8_t percent, bool& cancel) { cancel = percent > 40; };
    EXPECT_THROW(editor.SaveToFile(name, false), EOrixHexEditor);
    EXPECT_EQ(ReadFile(name), "old contents");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 1);
}

TEST(DataStore, LoadFromFileRules) {
    TestApp();
    QTemporaryDir dir;
    TOrixHexEditor editor;
    const std::string missing = dir.filePath("missing.bin").toStdString();
    try {
        editor.LoadFromFile(missing);
        FAIL();
    } catch (const EFOpenError& e) {
        EXPECT_EQ(std::string(e.what()),
                  "Cannot open " + missing + ".\r\n(No such file or directory.)");
    }
    // A FIFO would block for ever: refused at once.
    const std::string fifo = dir.filePath("fifo").toStdString();
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_THROW(editor.LoadFromFile(fifo), EFOpenError);
    EXPECT_THROW(editor.LoadFromFile(dir.path().toStdString()), EFOpenError);

    const std::string name = dir.filePath("in.bin").toStdString();
    std::ofstream(name, std::ios::binary) << "abc";
    editor.LoadFromFile(name);
    EXPECT_EQ(editor.GetDataSize(), 3);
    EXPECT_EQ(editor.DocumentName(), name);
    EXPECT_FALSE(editor.ReadOnlyFile());
    EXPECT_TRUE(editor.HasDiskFile());
}

TEST(DataStore, SaveRangeToStream) {
    TestApp();
    TOrixHexEditor editor;
    LoadBytes(editor, Pattern(10));
    TMemoryStream out;
    editor.SaveRangeToStream(out, 4, 3);
    EXPECT_EQ(out.GetSize(), 3);
    EXPECT_EQ(out.Memory()[0], Pattern(10)[4]);
    TMemoryStream tail;
    editor.SaveRangeToStream(tail, 8, -1);
    EXPECT_EQ(tail.GetSize(), 2);
    TMemoryStream past;
    EXPECT_THROW(editor.SaveRangeToStream(past, 8, 5), EReadError);
    EXPECT_THROW(editor.SaveRangeToStream(past, -1, 1), EOrixHexEditor);
}
