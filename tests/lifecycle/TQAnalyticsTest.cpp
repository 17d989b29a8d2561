#include "lifecycle/TQAnalytics.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

TEST(TQAnalyticsTest, KeepsPostedNamesInOrderAndIgnoresEmptyOnes)
{
    TQAnalyticsPostEvent("ae_cnv_conv_start");
    TQAnalyticsPostEvent(nullptr);
    TQAnalyticsPostEvent("");
    std::thread([] { TQAnalyticsPostEvent("ae_cnv_main_wnd_enter_url"); }).join();

    EXPECT_EQ(TQAnalyticsPostedEvents(),
              (std::vector<std::string>{"ae_cnv_conv_start", "ae_cnv_main_wnd_enter_url"}));
    TQAnalyticsShutdown();
    TQStatsSendConversionPreferenceEvents(nullptr);
    EXPECT_EQ(TQAnalyticsPostedEvents().size(), 2u);
}

} // namespace
