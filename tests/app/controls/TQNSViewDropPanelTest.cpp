#include "app/controls/TQNSTextFieldLink.h"
#include "app/controls/TQNSViewDropPanel.h"
#include "app/controls/TQNSViewDropPanelDelegate.h"
#include "platform/tqkit-ui/TQKitPasteboard.h"
#include "tests/support/QtTestSupport.h"

#include <QCoreApplication>
#include <QMimeData>
#include <QMouseEvent>
#include <QUrl>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;
using namespace sonvale::test;

namespace {

// Parses as it is told and records what is dropped.
class RecordingDelegate final : public TQNSViewDropPanelDelegate {
public:
    QStringList dropPanelParsePasteboardMaxCount(TQNSViewDropPanel*, const QMimeData*, int maxCount) override
    {
        maxCounts.append(maxCount);
        return items;
    }
    void dropPanelDragFinishedWithFilesPasteboard(TQNSViewDropPanel*, const QStringList& files, const QMimeData*) override
    {
        dropped.append(files);
    }
    void dropPanelOnEvent(TQNSViewDropPanel*, QMouseEvent*) override { ++clicks; }

    QStringList items;
    QList<int> maxCounts;
    QList<QStringList> dropped;
    int clicks = 0;
};

TEST(TQNSViewDropPanelTest, AcceptsOnlyWhatTheDelegateFindsAndHighlightsMeanwhile)
{
    TQNSViewDropPanel panel;
    RecordingDelegate delegate;
    QMimeData data;
    EXPECT_FALSE(panel.draggingEntered(&data)); // no delegate: no drops
    panel.setDelegate(&delegate);
    EXPECT_TRUE(panel.draggingEnabled());
    const QColor resting = panel.backgroundColor();

    EXPECT_FALSE(panel.draggingEntered(&data)); // the delegate finds nothing
    EXPECT_EQ(panel.currentPanelColor(), resting);

    delegate.items = {u"/music/a.flac"_s, u"/music/b.flac"_s};
    EXPECT_TRUE(panel.draggingEntered(&data));
    EXPECT_EQ(delegate.maxCounts.last(), 1); // entering only asks whether there is anything
    EXPECT_EQ(panel.currentPanelColor(), panel.backgroundHighlightColor());
    panel.draggingExited();
    EXPECT_EQ(panel.currentPanelColor(), resting);

    EXPECT_TRUE(panel.performDragOperation(&data));
    EXPECT_EQ(delegate.maxCounts.last(), 0);
    EXPECT_EQ(delegate.dropped, QList<QStringList>{delegate.items});

    panel.setDraggingEnabled(false);
    EXPECT_FALSE(panel.draggingEntered(&data));
    EXPECT_FALSE(panel.performDragOperation(&data));
    EXPECT_EQ(delegate.dropped.size(), 1);
}

TEST(TQNSViewDropPanelTest, WithoutAHighlightColourADragIsStillTaken)
{
    TQNSViewDropPanel panel;
    RecordingDelegate delegate;
    delegate.items = {u"/a.wav"_s};
    panel.setDelegate(&delegate);
    panel.setBackgroundHighlightColor(QColor());
    panel.setBackgroundColor(QColor()); // ignored
    const QColor resting = panel.currentPanelColor();
    QMimeData data;
    EXPECT_TRUE(panel.draggingEntered(&data));
    EXPECT_EQ(panel.currentPanelColor(), resting);
    EXPECT_TRUE(resting.isValid());
}

TEST(TQKitPasteboardTest, FindsWebAddressesAndLocalPathsInText)
{
    const struct {
        QString text;
        QStringList found;
    } cases[] = {
        {u"https://example.com/a.mp3"_s, {u"https://example.com/a.mp3"_s}},
        {u"see http://a.example/x and ftp://b.example/y"_s, {u"http://a.example/x"_s, u"ftp://b.example/y"_s}},
        {u"  /home/me/My Music/album  \n"_s, {u"/home/me/My Music/album"_s}},
        {u"file:///home/me/a%20b.wav"_s, {u"/home/me/a b.wav"_s}},
        {u"just words, no source"_s, {}},
        {u"javascript:alert(1)"_s, {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TQKitParseURLList(c.text), c.found) << c.text.toStdString();
}

TEST(TQKitPasteboardTest, TakesUrlsBeforeTextAndCapsTheCount)
{
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(u"/music/a.wav"_s), QUrl(u"https://example.com/b"_s),
                  QUrl(u"mailto:someone@example.com"_s), QUrl::fromLocalFile(u"/music/c.wav"_s)});
    data.setText(u"/ignored/path"_s);
    EXPECT_EQ(TQKitPasteboardFiles(&data, 0),
              (QStringList{u"/music/a.wav"_s, u"https://example.com/b"_s, u"/music/c.wav"_s}));
    EXPECT_EQ(TQKitPasteboardFiles(&data, 1), QStringList{u"/music/a.wav"_s});
}

TEST(TQNSTextFieldLinkTest, ABurstOfClicksFiresTheActionOnce)
{
    TQNSTextFieldLink link(u"Organize destination files..."_s);
    link.setHyperLinkEnabled(true);
    int fired = 0;
    QObject::connect(&link, &TQNSTextFieldLink::clicked, &link, [&] { ++fired; });
    link.show();
    for (int i = 0; i < 3; ++i) {
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(2, 2), link.mapToGlobal(QPointF(2, 2)), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&link, &press);
    }
    ASSERT_TRUE(pumpUntil([&] { return fired > 0; }));
    pumpUntil([] { return false; }, 400ms);
    EXPECT_EQ(fired, 1);
    EXPECT_EQ(link.cursor().shape(), Qt::PointingHandCursor);
    link.setEnabled(false);
    EXPECT_FALSE(link.font().underline());
    EXPECT_FALSE(link.hyperLinkEnabled());
    link.setEnabled(true);
    EXPECT_TRUE(link.font().underline());
    EXPECT_EQ(link.palette().color(QPalette::WindowText), link.palette().color(QPalette::Link));
}

} // namespace
