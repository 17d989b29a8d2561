#include "platform/system/KeyedArchiveRegistry.h"
#include "platform/system/KeyedArchiver.h"
#include "platform/system/KeyedUnarchiver.h"

#include <gtest/gtest.h>

using namespace sonvale;

namespace {

class Note : public KeyedArchivable {
public:
    static constexpr std::string_view kArchiveClassName = "Note";
    std::string_view archiveClassName() const override { return kArchiveClassName; }

    void encodeWithCoder(KeyedArchiver& coder) const override
    {
        coder.encodeString("text", text);
        coder.encodeInt64("count", count);
        coder.encodeDouble("ratio", ratio);
        coder.encodeBool("flag", flag);
        coder.encodeDate("when", when);
        coder.encodeUuid("id", id);
        coder.encodeStringArray("tags", tags);
        coder.encodeStringMap("props", props);
        coder.encodeObject("child", child.get());
        coder.encodeObjectArray("children", children);
    }
    void initWithCoder(KeyedUnarchiver& coder) override
    {
        text = coder.decodeString("text");
        count = coder.decodeInt64("count");
        ratio = coder.decodeDouble("ratio");
        flag = coder.decodeBool("flag");
        when = coder.decodeDate("when");
        id = coder.decodeUuid("id");
        tags = coder.decodeStringArray("tags");
        props = coder.decodeStringMap("props");
        child = coder.decodeObjectOfClass<Note>("child");
        children = coder.decodeArrayOfObjectsOfClass<Note>("children")
                       .value_or(std::vector<std::shared_ptr<Note>>{});
    }

    std::optional<std::string> text;
    int64_t count = 0;
    double ratio = 0;
    bool flag = false;
    std::optional<TimePoint> when;
    std::optional<Uuid> id;
    std::optional<std::vector<std::string>> tags;
    std::optional<std::map<std::string, std::string>> props;
    std::shared_ptr<Note> child;
    std::vector<std::shared_ptr<Note>> children;
};

class Other : public KeyedArchivable {
public:
    std::string_view archiveClassName() const override { return "Other"; }
    void encodeWithCoder(KeyedArchiver&) const override {}
    void initWithCoder(KeyedUnarchiver&) override {}
};

std::vector<uint8_t> archiveOf(const KeyedArchivable& root)
{
    KeyedArchiver archiver;
    archiver.encodeObject(KeyedArchiver::kRootKey, &root);
    return archiver.finish();
}

} // namespace

TEST(KeyedArchiveTest, EveryKindOfValueReadsBackExactly)
{
    Note note;
    note.text = "h\xc3\xa9llo";
    note.count = -(int64_t{1} << 40);
    note.ratio = 0.125;
    note.flag = true;
    note.when = TimePoint(std::chrono::nanoseconds(1'614'834'367'089'123'456));
    note.id = Uuid::random();
    note.tags = std::vector<std::string>{"a", "b"};
    note.props = std::map<std::string, std::string>{{"k", "v"}};
    note.child = std::make_shared<Note>();
    note.child->text = "inner";
    note.children = {std::make_shared<Note>(), std::make_shared<Note>()};
    note.children[1]->count = 2;

    KeyedArchiveRegistry registry;
    registry.addClass<Note>();
    KeyedUnarchiver unarchiver(archiveOf(note), registry);
    const auto back = unarchiver.decodeObjectOfClass<Note>(KeyedArchiver::kRootKey);
    ASSERT_FALSE(unarchiver.failed()) << unarchiver.error();
    ASSERT_TRUE(back);
    EXPECT_EQ(back->text, note.text);
    EXPECT_EQ(back->count, note.count);
    EXPECT_EQ(back->ratio, note.ratio);
    EXPECT_TRUE(back->flag);
    EXPECT_EQ(back->when, note.when);
    EXPECT_EQ(back->id, note.id);
    EXPECT_EQ(back->tags, note.tags);
    EXPECT_EQ(back->props, note.props);
    ASSERT_TRUE(back->child);
    EXPECT_EQ(back->child->text, "inner");
    ASSERT_EQ(back->children.size(), 2u);
    EXPECT_EQ(back->children[1]->count, 2);
    EXPECT_FALSE(back->child->when); // absent values stay absent
}

TEST(KeyedArchiveTest, RefusesUnknownClassesWrongKindsAndDamagedBytes)
{
    KeyedArchiveRegistry registry;
    registry.addClass<Note>();

    Note withStranger;
    auto stranger = std::make_shared<Other>();
    KeyedArchiver archiver;
    archiver.encodeObject(KeyedArchiver::kRootKey, stranger.get());
    {
        KeyedUnarchiver unarchiver(archiver.finish(), registry);
        EXPECT_FALSE(unarchiver.decodeObject(KeyedArchiver::kRootKey));
        EXPECT_EQ(unarchiver.error(), "The class \"Other\" for key \"root\" is not allowed.");
    }
    {
        registry.addClass("Other", [] { return std::make_shared<Other>(); });
        KeyedUnarchiver unarchiver(archiver.finish(), registry);
        EXPECT_FALSE(unarchiver.decodeObjectOfClass<Note>(KeyedArchiver::kRootKey));
        EXPECT_TRUE(unarchiver.failed());
    }
    {
        KeyedArchiver wrongKind;
        wrongKind.encodeString("count", "not a number");
        KeyedUnarchiver unarchiver(wrongKind.finish(), registry);
        EXPECT_EQ(unarchiver.decodeInt64("count"), 0);
        EXPECT_TRUE(unarchiver.failed());
    }
    // The nine bytes declare a map of 2^63 entries: they used to end the process from the reader.
    for (const std::vector<uint8_t>& damaged :
         {std::vector<uint8_t>{}, std::vector<uint8_t>{0xff, 0x00, 0x13},
          std::vector<uint8_t>{0x02, 0xbb, 0xbb, 0xbb, 0xbb, 0xbb, 0xbb, 0xbb, 0xbb},
          std::vector<uint8_t>{0xbb, 0xbb, 0xbb, 0xbb, 0xbb, 0xbb, 0xbb, 0xbb, 0xbb},
          std::vector<uint8_t>{0x9b, 0x7f, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff}}) {
        KeyedUnarchiver unarchiver(damaged, registry);
        EXPECT_TRUE(unarchiver.failed());
        EXPECT_FALSE(unarchiver.decodeObject(KeyedArchiver::kRootKey));
    }
}

TEST(KeyedArchiveTest, AnOldClassNameReadsIntoItsNewClass)
{
    class OldNote : public Note {
    public:
        std::string_view archiveClassName() const override { return "LegacyNote"; }
    };
    OldNote old;
    old.text = "from an earlier version";

    KeyedArchiveRegistry registry;
    registry.addClass<Note>();
    registry.addAlias("LegacyNote", "Note");
    KeyedUnarchiver unarchiver(archiveOf(old), registry);
    const auto back = unarchiver.decodeObjectOfClass<Note>(KeyedArchiver::kRootKey);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->archiveClassName(), "Note");
    EXPECT_EQ(back->text, old.text);
}
