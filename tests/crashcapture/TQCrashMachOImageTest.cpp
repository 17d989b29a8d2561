#include "crashcapture/TQCrashByteOrder.h"
#include "crashcapture/TQCrashCompactUnwind.h"
#include "crashcapture/TQCrashMachOImage.h"
#include "crashcapture/TQCrashObjCMethods.h"

#include <gtest/gtest.h>

#include <sys/mman.h>

#include <algorithm>
#include <memory>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace tqcrash::async {
namespace {

const std::string kFixtures = SONVALE_SOURCE_DIR "/tests/crashcapture/fixtures/macho/";

std::vector<char> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A fixture laid out in memory the way the loader would: each segment's file bytes at its vmaddr.
// The images are linked at 0x100000000 and placed there, so the pointers inside them hold.
class LoadedFixture final {
public:
    explicit LoadedFixture(const std::string& name) {
        const std::vector<char> file = readFile(kFixtures + name + ".macho");
        std::uint32_t ncmds = 0;
        std::memcpy(&ncmds, file.data() + 16, 4);
        struct Segment { std::uint64_t vmaddr, vmsize, fileoff, filesize; };
        std::vector<Segment> segments;
        for (std::size_t at = 32, i = 0; i < ncmds; ++i) {
            std::uint32_t cmd = 0, size = 0;
            std::memcpy(&cmd, file.data() + at, 4);
            std::memcpy(&size, file.data() + at + 4, 4);
            if (cmd == LC_SEGMENT_64 && std::strncmp(file.data() + at + 8, "__PAGEZERO", 16) != 0) {
                Segment s;
                std::memcpy(&s, file.data() + at + 24, sizeof s);
                segments.push_back(s);
            }
            at += size;
        }
        base_ = segments.front().vmaddr;
        length_ = segments.back().vmaddr + segments.back().vmsize - base_;
        void* where = mmap(reinterpret_cast<void*>(base_), length_, PROT_READ | PROT_WRITE,
                           MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED_NOREPLACE, -1, 0);
        if (where != reinterpret_cast<void*>(base_)) {
            if (where != MAP_FAILED) munmap(where, length_);
            base_ = 0;
            return;
        }
        for (const Segment& s : segments) {
            std::memcpy(reinterpret_cast<void*>(s.vmaddr), file.data() + s.fileoff, s.filesize);
        }
        std::ifstream symbols(kFixtures + name + ".symbols");
        for (std::string line; std::getline(symbols, line);) {
            std::istringstream fields(line);
            std::string address, type;
            fields >> address >> type;
            std::string symbol;
            std::getline(fields >> std::ws, symbol);
            symbols_[symbol] = std::stoull(address, nullptr, 16);
        }
    }
    ~LoadedFixture() {
        if (base_ != 0) munmap(reinterpret_cast<void*>(base_), length_);
    }
    bool loaded() const { return base_ != 0; }
    std::uint64_t header() const { return base_; }
    std::uint64_t symbol(const std::string& name) const { return symbols_.at(name); }

private:
    std::uint64_t base_ = 0;
    std::uint64_t length_ = 0;
    std::map<std::string, std::uint64_t> symbols_;
};

class TQCrashMachOImageTest : public ::testing::Test {
protected:
    void load(const std::string& name) {
        fixture_ = std::make_unique<LoadedFixture>(name);
        if (!fixture_->loaded()) {
            GTEST_SKIP() << "0x100000000 is taken in this process";
        }
        ASSERT_EQ(macho_image_init(&image_, (kFixtures + name + ".macho").c_str(), fixture_->header()), TQCRASH_ESUCCESS);
        initialised_ = true;
    }
    void TearDown() override {
        if (initialised_) macho_image_free(&image_);
    }

    struct Found {
        std::uint64_t address = 0;
        std::string name;
    };
    tqcrash_error_t find(std::uint32_t flags, std::uint64_t pc, Found* found) {
        objc_symbol_cache cache;
        objc_symbol_cache_init(&cache);
        const tqcrash_error_t status = macho_find_symbol(
            &image_, flags, &cache, pc,
            [](std::uint64_t address, const char* name, void* out) {
                static_cast<Found*>(out)->address = address;
                static_cast<Found*>(out)->name = name;
            },
            found);
        objc_symbol_cache_free(&cache);
        return status;
    }

    std::unique_ptr<LoadedFixture> fixture_;
    macho_image image_;
    bool initialised_ = false;
};

TEST_F(TQCrashMachOImageTest, HeaderSegmentsSectionsAndUuidAreRead) {
    load("x86_64");
    EXPECT_TRUE(image_.m64);
    EXPECT_EQ(image_.header.cputype, 0x1000007u);
    EXPECT_EQ(image_.header_size, 32u);
    EXPECT_EQ(image_.text_vmaddr, 0x100000000u);
    EXPECT_EQ(image_.vmaddr_slide, 0u);
    EXPECT_TRUE(macho_image_contains_address(&image_, fixture_->symbol("_main")));
    EXPECT_FALSE(macho_image_contains_address(&image_, fixture_->header() + image_.text_size));
    for (const char* segment : {"__TEXT", "__DATA_CONST", "__DATA", "__LINKEDIT"}) {
        EXPECT_NE(macho_find_segment(&image_, segment), nullptr) << segment;
    }
    EXPECT_EQ(macho_find_segment(&image_, "__TEXTX"), nullptr);

    macho_segment linkedit;
    ASSERT_EQ(macho_map_segment(&image_, "__LINKEDIT", &linkedit), TQCRASH_ESUCCESS);
    EXPECT_GT(linkedit.fileoff, 0u);
    EXPECT_GT(linkedit.filesize, 0u);
    mobject_unmap(&linkedit.mobj);
    EXPECT_EQ(macho_map_segment(&image_, "__NOPE", &linkedit), TQCRASH_ENOTFOUND);

    tqcrash_async_mobject text;
    ASSERT_EQ(macho_map_section(&image_, "__TEXT", "__text", &text), TQCRASH_ESUCCESS);
    EXPECT_LE(mobject_task_address(&text), fixture_->symbol("+[TQFixtureRoot classMethodOne]"));
    EXPECT_GT(mobject_task_address(&text) + mobject_length(&text), fixture_->symbol("_tq_fixture_with_frame_pointer"));
    mobject_unmap(&text);
    EXPECT_EQ(macho_map_section(&image_, "__TEXT", "__nothing", &text), TQCRASH_ENOTFOUND);

    const void* uuid = macho_find_load_command(&image_, LC_UUID);
    ASSERT_NE(uuid, nullptr);
    std::uint32_t size = 0;
    ASSERT_TRUE(macho_load_command_u32(&image_, uuid, 4, &size));
    EXPECT_EQ(size, 24u);
    std::uint8_t bytes[16];
    std::memcpy(bytes, static_cast<const char*>(uuid) + 8, 16);
    EXPECT_NE(std::count(bytes, bytes + 16, 0), 16) << "a UUID, not zeros";
}

TEST_F(TQCrashMachOImageTest, SymbolsComeFromTheSymbolTable) {
    load("x86_64");
    for (const char* name : {"_main", "_tq_fixture_leaf", "_tq_fixture_small_frame", "_tq_fixture_large_frame",
                             "_tq_fixture_with_frame_pointer"}) {
        Found found;
        ASSERT_EQ(find(MACHO_SYMBOLS_TABLE, fixture_->symbol(name) + 3, &found), TQCRASH_ESUCCESS) << name;
        EXPECT_EQ(found.name, name);
        EXPECT_EQ(found.address, fixture_->symbol(name));
    }
    Found found;
    EXPECT_EQ(find(MACHO_SYMBOLS_TABLE, fixture_->header() - 1, &found), TQCRASH_ENOTFOUND) << "below every symbol";
}

TEST_F(TQCrashMachOImageTest, MethodNamesComeFromTheObjectiveCMetadata) {
    load("x86_64");
    const struct {
        const char* symbol;
        const char* method;
    } methods[] = {
        {"+[TQFixtureRoot classMethodOne]", "+[TQFixtureRoot classMethodOne]"},
        {"-[TQFixtureRoot instanceMethodOne:]", "-[TQFixtureRoot instanceMethodOne:]"},
        {"-[TQFixtureRoot instanceMethodTwo]", "-[TQFixtureRoot instanceMethodTwo]"},
        {"-[TQFixtureRoot(Extras) categoryMethod]", "-[TQFixtureRoot categoryMethod]"},
    };
    for (const auto& m : methods) {
        Found found;
        ASSERT_EQ(find(MACHO_SYMBOLS_OBJC, fixture_->symbol(m.symbol) + 2, &found), TQCRASH_ESUCCESS) << m.method;
        EXPECT_EQ(found.name, m.method);
        EXPECT_EQ(found.address, fixture_->symbol(m.symbol));
    }
    // With both lookups, the method name wins at an equal address.
    Found found;
    ASSERT_EQ(find(MACHO_SYMBOLS_TABLE | MACHO_SYMBOLS_OBJC, fixture_->symbol("-[TQFixtureRoot(Extras) categoryMethod]") + 1,
                   &found),
              TQCRASH_ESUCCESS);
    EXPECT_EQ(found.name, "-[TQFixtureRoot categoryMethod]");
    // Past the last method, the nearest function of the symbol table.
    ASSERT_EQ(find(MACHO_SYMBOLS_TABLE | MACHO_SYMBOLS_OBJC, fixture_->symbol("_main") + 1, &found), TQCRASH_ESUCCESS);
    EXPECT_EQ(found.name, "_main");
}

TEST_F(TQCrashMachOImageTest, AnUnknownMagicIsNoImage) {
    std::vector<std::uint8_t> junk(4096, 0xAB);
    macho_image image;
    EXPECT_EQ(macho_image_init(&image, "junk", reinterpret_cast<std::uintptr_t>(junk.data())), TQCRASH_EINVAL);
}

// The entry of a function, from the fixture's own unwind section.
compact_unwind_entry entryOf(const macho_image& image, std::uint64_t function) {
    tqcrash_async_mobject section;
    EXPECT_EQ(macho_map_section(&image, "__TEXT", "__unwind_info", &section), TQCRASH_ESUCCESS);
    std::uint32_t encoding = 0, start = 0;
    EXPECT_EQ(compact_unwind_lookup(&section, image.byteorder, static_cast<std::uint32_t>(function + 1 - image.header_addr),
                                    &encoding, &start),
              TQCRASH_ESUCCESS);
    EXPECT_EQ(start, function - image.header_addr);
    mobject_unmap(&section);
    compact_unwind_entry entry;
    EXPECT_EQ(compact_unwind_decode(static_cast<std::int32_t>(image.header.cputype), encoding, &entry), TQCRASH_ESUCCESS);
    return entry;
}

tqcrash_async_thread_state stateAt(std::uint64_t pc, const void* sp, const void* fp) {
    tqcrash_async_thread_state state{};
    state.stack_direction = TQCRASH_STACK_GROWS_DOWN;
    state.gpr_width = 8;
    state.exact_ip = true;
    thread_state_set_register(&state, TQCRASH_REG_IP, pc);
    thread_state_set_register(&state, TQCRASH_REG_SP, reinterpret_cast<std::uintptr_t>(sp));
    thread_state_set_register(&state, TQCRASH_REG_FP, reinterpret_cast<std::uintptr_t>(fp));
    return state;
}

TEST_F(TQCrashMachOImageTest, CompactUnwindEntriesOfEachKindStepToTheCaller) {
    load("x86_64");
    tqcrash_async_thread_state next;

    // A leaf without an entry of its own: the end.
    const std::uint64_t leaf = fixture_->symbol("_tq_fixture_leaf");
    EXPECT_EQ(entryOf(image_, leaf).mode, compact_unwind_mode::none);
    std::uint64_t stack[16] = {};
    const auto leafState = stateAt(leaf + 1, stack, nullptr);
    EXPECT_EQ(compact_unwind_frame_read_image(&image_, &leafState, &next), FRAME_ENOFRAME);

    // Frameless, immediate size 32 with rbx and rbp saved below the return address.
    const std::uint64_t main = fixture_->symbol("_main");
    const compact_unwind_entry mainEntry = entryOf(image_, main);
    ASSERT_EQ(mainEntry.mode, compact_unwind_mode::frameless_immediate);
    EXPECT_EQ(mainEntry.stack_size, 32u);
    ASSERT_EQ(mainEntry.register_count, 2u);
    std::uint64_t frameless[4] = {0, 0xB0B, 0xBEEF, 0x7777};
    const auto mainState = stateAt(main + 5, frameless, nullptr);
    ASSERT_EQ(compact_unwind_frame_read_image(&image_, &mainState, &next), FRAME_ESUCCESS);
    EXPECT_EQ(thread_state_get_register(&next, TQCRASH_REG_IP), 0x7777u);
    EXPECT_EQ(thread_state_get_register(&next, TQCRASH_REG_SP), reinterpret_cast<std::uintptr_t>(&frameless[4]));
    EXPECT_EQ(thread_state_get_register(&next, TQCRASH_X86_64_RBX), 0xB0Bu);
    EXPECT_EQ(thread_state_get_register(&next, TQCRASH_X86_64_RBP), 0xBEEFu);

    // Frameless with the size in the code: the 32-bit immediate of its stack adjustment.
    const std::uint64_t large = fixture_->symbol("_tq_fixture_large_frame");
    const compact_unwind_entry largeEntry = entryOf(image_, large);
    ASSERT_EQ(largeEntry.mode, compact_unwind_mode::frameless_indirect);
    std::uint32_t inCode = 0;
    std::memcpy(&inCode, reinterpret_cast<const void*>(large + largeEntry.stack_size), 4);
    const std::uint64_t size = inCode + largeEntry.stack_adjust;
    ASSERT_GT(size, 9000u);
    std::vector<std::uint64_t> big(size / 8 + 1, 0);
    big[size / 8 - 1] = 0x4242;
    const auto largeState = stateAt(large + 9, big.data(), nullptr);
    ASSERT_EQ(compact_unwind_frame_read_image(&image_, &largeState, &next), FRAME_ESUCCESS);
    EXPECT_EQ(thread_state_get_register(&next, TQCRASH_REG_IP), 0x4242u);

    // Frame-pointer based, rbx and r14 saved 16 bytes below the frame pointer.
    const std::uint64_t framed = fixture_->symbol("_tq_fixture_with_frame_pointer");
    const compact_unwind_entry framedEntry = entryOf(image_, framed);
    ASSERT_EQ(framedEntry.mode, compact_unwind_mode::frame);
    EXPECT_EQ(framedEntry.frame_offset, 16u);
    std::uint64_t frame[6] = {0, 0, 0x1B, 0x14, 0xF00D, 0x5151};
    const auto framedState = stateAt(framed + 12, frame, &frame[4]);
    ASSERT_EQ(compact_unwind_frame_read_image(&image_, &framedState, &next), FRAME_ESUCCESS);
    EXPECT_EQ(thread_state_get_register(&next, TQCRASH_REG_IP), 0x5151u);
    EXPECT_EQ(thread_state_get_register(&next, TQCRASH_REG_FP), 0xF00Du);
    EXPECT_EQ(thread_state_get_register(&next, TQCRASH_REG_SP), reinterpret_cast<std::uintptr_t>(&frame[6]));
    EXPECT_EQ(thread_state_get_register(&next, TQCRASH_X86_64_RBX), 0x1Bu);
    EXPECT_EQ(thread_state_get_register(&next, TQCRASH_X86_64_R14), 0x14u);
}

TEST_F(TQCrashMachOImageTest, Arm64EntriesAreFoundAndDecoded) {
    load("arm64");
    EXPECT_EQ(image_.header.cputype, 0x100000Cu);
    const compact_unwind_entry framed = entryOf(image_, fixture_->symbol("_tq_fixture_with_frame_pointer"));
    ASSERT_EQ(framed.mode, compact_unwind_mode::frame);
    ASSERT_GE(framed.register_count, 2u);
    EXPECT_EQ(framed.registers[0], 19);
    EXPECT_EQ(framed.registers[1], 20);
}

struct DecodeCase {
    std::int32_t cpu;
    std::uint32_t encoding;
    tqcrash_error_t status;
    compact_unwind_mode mode;
    std::uint32_t stackSize;
    std::vector<std::uint8_t> registers;
};

TEST(TQCrashCompactUnwindTest, EncodingsDecodePerProcessor) {
    const DecodeCase cases[] = {
        {0x1000007, 0x00000000, TQCRASH_ESUCCESS, compact_unwind_mode::none, 0, {}},
        {0x1000007, 0x04001234, TQCRASH_ESUCCESS, compact_unwind_mode::dwarf, 0, {}},
        // Six registers in the last permutation: rbp, r15, r14, r13, r12, rbx.
        {0x1000007, 0x02101800 | 719, TQCRASH_ESUCCESS, compact_unwind_mode::frameless_immediate, 128, {6, 5, 4, 3, 2, 1}},
        {0x1000007, 0x02101800 | 0, TQCRASH_ESUCCESS, compact_unwind_mode::frameless_immediate, 128, {1, 2, 3, 4, 5, 6}},
        {0x1000007, 0x02100400 | 5, TQCRASH_ESUCCESS, compact_unwind_mode::frameless_immediate, 128, {6}},
        {0x1000007, 0x02100400 | 6, TQCRASH_EINVALID_DATA, compact_unwind_mode::frameless_immediate, 128, {}},
        {0x1000007, 0x05000000, TQCRASH_EINVALID_DATA, compact_unwind_mode::none, 0, {}},
        {7, 0x02040000, TQCRASH_ESUCCESS, compact_unwind_mode::frameless_immediate, 16, {}},
        {0x100000C, 0x02003000, TQCRASH_ESUCCESS, compact_unwind_mode::frameless_immediate, 48, {}},
        {0x100000C, 0x04000011, TQCRASH_ESUCCESS, compact_unwind_mode::frame, 0, {19, 20, 27, 28}},
        {12, 0x04000011, TQCRASH_EINVAL, compact_unwind_mode::none, 0, {}},
    };
    for (const DecodeCase& c : cases) {
        compact_unwind_entry entry;
        ASSERT_EQ(compact_unwind_decode(c.cpu, c.encoding, &entry), c.status) << std::hex << c.encoding;
        if (c.status != TQCRASH_ESUCCESS) continue;
        EXPECT_EQ(entry.mode, c.mode) << std::hex << c.encoding;
        EXPECT_EQ(entry.stack_size, c.stackSize) << std::hex << c.encoding;
        EXPECT_EQ(std::vector<std::uint8_t>(entry.registers, entry.registers + (c.registers.empty() ? 0 : entry.register_count)),
                  c.registers)
            << std::hex << c.encoding;
    }
}

} // namespace
} // namespace tqcrash::async
