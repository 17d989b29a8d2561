#include "ElfBuildId.h"
#include "crashcapture/TQCrashByteOrder.h"
#include "crashcapture/TQCrashElfImage.h"
#include "crashcapture/TQCrashImageList.h"
#include "crashcapture/TQCrashMemoryObject.h"

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <elf.h>
#include <link.h>
#include <unistd.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace tqcrash::async {
namespace {

std::uint64_t addressOf(const void* pointer) {
    return reinterpret_cast<std::uintptr_t>(pointer);
}

[[gnu::noinline]] void aFunctionOfThisExecutable() {
    __asm__ volatile("");
}

// The image that holds `address`, read from the loader's own list.
std::unique_ptr<elf_image> imageHolding(const void* address) {
    Dl_info info;
    if (dladdr(address, &info) == 0) {
        return nullptr;
    }
    auto image = std::make_unique<elf_image>();
    if (elf_image_init(image.get(), addressOf(info.dli_fbase), info.dli_fname) != TQCRASH_ESUCCESS) {
        return nullptr;
    }
    return image;
}

std::string hex(const std::uint8_t* bytes, std::size_t length) {
    std::string text;
    for (std::size_t i = 0; i < length; ++i) {
        static const char digits[] = "0123456789abcdef";
        text += digits[bytes[i] >> 4];
        text += digits[bytes[i] & 15];
    }
    return text;
}

std::string executablePath() {
    char path[4096];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path);
    return std::string(path, length > 0 ? static_cast<std::size_t>(length) : 0);
}

TEST(TQCrashElfImageTest, TheExecutableShowsItsCodeBuildIdAndCallFrameSections) {
    const auto image = imageHolding(reinterpret_cast<const void*>(&aFunctionOfThisExecutable));
    ASSERT_TRUE(image);
    EXPECT_TRUE(elf_image_contains_address(image.get(), addressOf(reinterpret_cast<const void*>(&aFunctionOfThisExecutable))));
    EXPECT_FALSE(elf_image_contains_address(image.get(), image->header_address - 1));
    EXPECT_FALSE(elf_image_contains_address(image.get(), image->header_address + image->text_size));
    EXPECT_EQ(hex(image->uuid, image->uuid_length), test::elfBuildId(executablePath()));
    EXPECT_EQ(image->cpu_type, 0x1000007);

    // .eh_frame_hdr: version 1; .eh_frame: its first entry is a CIE (id 0), and it ends with the
    // zero terminator.
    tqcrash_async_mobject hdr;
    ASSERT_EQ(elf_image_map_section(image.get(), ".eh_frame_hdr", &hdr), TQCRASH_ESUCCESS);
    std::uint8_t version = 0;
    ASSERT_EQ(mobject_read_byte(&hdr, image->eh_frame_hdr.address, 0, &version), TQCRASH_ESUCCESS);
    EXPECT_EQ(version, 1);
    tqcrash_async_mobject frames;
    ASSERT_EQ(elf_image_map_section(image.get(), ".eh_frame", &frames), TQCRASH_ESUCCESS);
    std::uint32_t length = 0;
    std::uint32_t id = 1;
    const auto* order = tqcrash_async_byteorder_direct();
    ASSERT_EQ(mobject_read_u32(&frames, order, image->eh_frame.address, 0, &length), TQCRASH_ESUCCESS);
    ASSERT_EQ(mobject_read_u32(&frames, order, image->eh_frame.address, 4, &id), TQCRASH_ESUCCESS);
    EXPECT_GT(length, 0u);
    EXPECT_EQ(id, 0u);
    ASSERT_EQ(mobject_read_u32(&frames, order, image->eh_frame.address,
                               static_cast<std::int64_t>(image->eh_frame.size) - 4, &length),
              TQCRASH_ESUCCESS);
    EXPECT_EQ(length, 0u);

    tqcrash_async_mobject none;
    EXPECT_EQ(elf_image_map_section(image.get(), ".debug_frame", &none), TQCRASH_ENOTFOUND);
}

struct FoundSymbol {
    std::uint64_t address = 0;
    std::string name;
    static void record(std::uint64_t address, const char* name, void* context) {
        auto* found = static_cast<FoundSymbol*>(context);
        found->address = address;
        found->name = name;
    }
};

TEST(TQCrashElfImageTest, ThePcOfALibraryFunctionFindsItsDynamicSymbol) {
    const void* function = dlsym(RTLD_DEFAULT, "getpid");
    ASSERT_NE(function, nullptr);
    const auto image = imageHolding(function);
    ASSERT_TRUE(image);
    FoundSymbol found;
    ASSERT_EQ(elf_image_find_symbol(image.get(), addressOf(function) + 3, FoundSymbol::record, &found),
              TQCRASH_ESUCCESS);
    EXPECT_EQ(found.address, addressOf(function));
    EXPECT_EQ(dlsym(RTLD_DEFAULT, found.name.c_str()), function) << found.name;

    EXPECT_EQ(elf_image_find_symbol(image.get(), image->header_address, FoundSymbol::record, &found),
              TQCRASH_ENOTFOUND)
        << "below every symbol";
}

TEST(TQCrashElfImageTest, AHeaderThatIsNoElfImageIsNotAdded) {
    std::vector<std::uint8_t> junk(4096, 0xCF);
    elf_image image;
    EXPECT_EQ(elf_image_init(&image, addressOf(junk.data()), "junk"), TQCRASH_EINVALID_DATA);
    image_list list;
    EXPECT_FALSE(image_list_add(&list, addressOf(junk.data()), "junk"));
    EXPECT_EQ(image_list_next(&list, nullptr), nullptr);
}

bool listHolds(const image_list& list, const std::string& path) {
    image_list_set_reading(&list, true);
    bool found = false;
    for (const image_node* node = image_list_next(&list, nullptr); node != nullptr; node = image_list_next(&list, node)) {
        found = found || path == node->value.path;
    }
    image_list_set_reading(&list, false);
    return found;
}

TEST(TQCrashImageListTest, TheFollowedListGainsWhatDlopenLoadsAndLosesWhatDlcloseUnloads) {
    image_list& list = process_image_list();
    image_list_follow_process_images(&list);
    EXPECT_TRUE(listHolds(list, executablePath()));
    ASSERT_FALSE(listHolds(list, TQCRASH_TEST_LIBRARY));

    void* library = dlopen(TQCRASH_TEST_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << dlerror();
    EXPECT_TRUE(listHolds(list, TQCRASH_TEST_LIBRARY));
    const void* function = dlsym(library, "tqcrash_test_library_call");
    const image_node* node = image_list_find_containing(&list, addressOf(function));
    ASSERT_NE(node, nullptr);
    EXPECT_STREQ(node->value.path, TQCRASH_TEST_LIBRARY);

    ASSERT_EQ(dlclose(library), 0);
    EXPECT_FALSE(listHolds(list, TQCRASH_TEST_LIBRARY));
    EXPECT_EQ(image_list_find_containing(&list, addressOf(function)), nullptr);
}

} // namespace
} // namespace tqcrash::async
