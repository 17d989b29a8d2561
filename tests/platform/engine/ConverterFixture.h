#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "platform/engine/TQKitConversionList.h"
#include "platform/engine/TQKitConverter.h"
#include "tests/platform/engine/ListWatcher.h"
#include "tests/support/TempHome.h"

namespace sonvale::engine {

namespace fs = std::filesystem;
using Item = TQKitConversionListItem;

inline std::string contentsOf(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void writeText(const fs::path& path, const std::string& text)
{
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

// Every file under a folder, relative to it, as a sorted list.
inline std::vector<std::string> filesUnder(const fs::path& folder)
{
    std::vector<std::string> out;
    for (const auto& e : fs::recursive_directory_iterator(folder))
        if (e.is_regular_file())
            out.push_back(fs::relative(e.path(), folder).string());
    std::sort(out.begin(), out.end());
    return out;
}

// Records an item's status and progress at every change the item reports, until destroyed.
class ItemRecorder final {
public:
    ItemRecorder(TQKitConversionList* list, Item* item) : list_(list), item_(item)
    {
        TQKitConversionListItemSetCallback(list, item, &changed, this);
    }
    ~ItemRecorder() { TQKitConversionListItemSetCallback(list_, item_, nullptr, nullptr); }
    ItemRecorder(const ItemRecorder&) = delete;
    ItemRecorder& operator=(const ItemRecorder&) = delete;

    std::vector<std::pair<int, double>> changes() const
    {
        std::lock_guard lock(mutex_);
        return changes_;
    }
    std::set<int> statuses() const
    {
        std::set<int> all;
        for (const auto& change : changes())
            all.insert(change.first);
        return all;
    }

private:
    static void changed(uint32_t, uintptr_t, void* context)
    {
        auto* self = static_cast<ItemRecorder*>(context);
        std::lock_guard lock(self->mutex_);
        self->changes_.emplace_back(self->item_->status(), self->item_->progress());
    }

    TQKitConversionList* list_;
    Item* item_;
    mutable std::mutex mutex_;
    std::vector<std::pair<int, double>> changes_;
};

// Runs batches through a converter whose items convert on its own threads, in a temporary home.
class ConverterFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        source_ = home_.path() / "music";
        destination_ = home_.path() / "out";
        fs::create_directories(source_);
        fs::create_directories(destination_);
        settings_.destinationFolder = destination_;
        settings_.output = {OutputFormat::Mp3, Mp3Options{.cbr = true, .cbrBitRate = 128}};
    }
    void TearDown() override
    {
        watcher_.reset();
        if (list_)
            TQKitConversionListRelease(list_);
        TQKitConverterDestroy(&converter_);
    }

    void startConverter(TQKitConverterOptions options = {})
    {
        if (!options.runner)
            options.runner = std::make_shared<InProcessItemRunner>();
        if (!options.workers)
            options.workers = 3;
        TQKitConverterCreateWithOptions(&converter_, std::move(options));
    }

    // Creates the list with the fixture's settings, adds the sources and runs it to the end.
    void convert(const std::vector<std::string>& sources, test::ListWatcher* watcher = nullptr)
    {
        if (!converter_)
            startConverter();
        TQKitConversionListCreate(&list_);
        TQKitConversionListSetBatchSettings(list_, settings_);
        if (!watcher) {
            watcher_ = std::make_unique<test::ListWatcher>(list_);
            watcher = watcher_.get();
        }
        TQKitConversionListAddSources(list_, sources, 0, 0);
        TQKitConversionStart(converter_, list_);
        ASSERT_TRUE(watcher->waitFinished());
    }

    // A list with the fixture's settings and these sources, not started; its only item.
    Item* listWithOneItem(const std::vector<std::string>& sources)
    {
        TQKitConversionListCreate(&list_);
        TQKitConversionListSetBatchSettings(list_, settings_);
        TQKitConversionListAddSources(list_, sources, 0, 0);
        std::vector<Item*> items;
        TQKitConversionListGetItems(list_, items);
        EXPECT_EQ(items.size(), 1u);
        return items.empty() ? nullptr : items[0];
    }

    // Lets go of the batch, so that the next convert() starts a new one.
    void releaseList()
    {
        watcher_.reset();
        TQKitConversionListRelease(list_);
        list_ = nullptr;
    }

    const Item* itemNamed(const std::string& name) const
    {
        std::vector<Item*> items;
        TQKitConversionListGetItems(list_, items);
        for (const Item* item : items)
            if (item->name() == name)
                return item;
        return nullptr;
    }

    std::string completionOf(const std::string& name) const
    {
        std::string text;
        TQKitConversionListItemCompletion(list_, itemNamed(name), &text);
        return text;
    }

    test::TempHome home_;
    fs::path source_, destination_;
    BatchSettings settings_;
    TQKitConverter* converter_ = nullptr;
    TQKitConversionList* list_ = nullptr;
    std::unique_ptr<test::ListWatcher> watcher_; // of convert() when the test brings none
};

} // namespace sonvale::engine
