// The options pane driven with real mouse and keys: its rows, read-only
// rules, editors and the settings they reach, asserted over the tree's dump.
#include "engine/settings/settings_store.h"
#include "shell/right_view.h"
#include "tests/support/gui_support.h"

#include "platform/ui/system_colors.h"
#include "platform/ui/system_metrics.h"

#include <QApplication>
#include <QComboBox>
#include <QFontMetrics>
#include <QLineEdit>
#include <QPainter>
#include <QTest>
#include <atomic>
#include <gtest/gtest.h>
#include <thread>

namespace {

struct OptionsPane {
    ConvertSettings settings;
    CRightView view{settings};
    explicit OptionsPane(const ConvertSettings& initial = ConvertSettings()) {
        settings = initial;
        view.resize(360, 420);
        view.BuildOptionTree();
        ShowExposed(&view);
    }
    CChoiceTree& Tree() { return view.Tree(); }
    QWidget* List() { return Tree().GetListWindow()->ClientWidget(); }
    std::string Dump() { return DumpChoiceTree(Tree()); }
    // The middle of an item's value cell, or of its label.
    QPoint Value(int id) {
        const RECT& cell = Tree().FindItem(id)->GetAttributeRect();
        return QPoint(cell.left + 10, (cell.top + cell.bottom) / 2);
    }
    QPoint Label(int id) { return QPoint(40, Value(id).y()); }
    void Click(QPoint at) {
        QTest::mouseClick(List(), Qt::LeftButton, {}, at);
        QCoreApplication::processEvents();
    }
    void Key(int key) {
        QTest::keyClick(QApplication::focusWidget(), static_cast<Qt::Key>(key));
        QCoreApplication::processEvents();
    }
};

} // namespace

TEST(OptionsView, TheDefaultTree) {
    OptionsPane pane;
    EXPECT_EQ(pane.Dump(), "  [Output General Options]\n"
                           "    Page Range = All Pages\n"
                           "    Begin Page = 1 (read-only)\n"
                           "    End Page = 1000 (read-only)\n"
                           "    Open Results = Yes\n"
                           "  [Output Options]\n"
                           "    Output Directory = No selection made.\n"
                           "    Output Mode = jpg\n"
                           "    Jpeg Quality (%) = 70\n"
                           "    Jpeg Gray Scale = False\n"
                           "    Transparency = Alpha (read-only)\n"
                           "    Orientation = As Stored\n"
                           "    Keep Original Encoding = No\n"
                           "  [Selection]\n"
                           "    Minimum Width = 0\n"
                           "    Minimum Height = 0\n"
                           "    Skip Repeated Images = No\n");
}

// The minimum sizes take 0 (none) and what is typed; the repeats choice
// steps through its three entries; each reaches the settings.
TEST(OptionsView, TheSelectionRowsReachTheSettings) {
    ConvertSettings initial;
    initial.minimumHeight = 1;
    OptionsPane pane(initial);
    pane.view.resize(360, 640); // every row in sight
    QCoreApplication::processEvents();
    pane.Click(pane.Value(CRightView::kMinimumWidth));
    QLineEdit* edit = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    ASSERT_NE(edit, nullptr);
    edit->selectAll();
    QTest::keyClicks(edit, "32");
    pane.Click(pane.Label(CRightView::kPageRange));
    EXPECT_EQ(pane.settings.minimumWidth, 32);

    pane.Click(pane.Value(CRightView::kMinimumHeight));
    edit = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    ASSERT_NE(edit, nullptr);
    pane.Key(Qt::Key_Down); // 1 -> 0, the spinner's floor
    pane.Key(Qt::Key_Down);
    pane.Click(pane.Label(CRightView::kPageRange));
    EXPECT_EQ(pane.settings.minimumHeight, 0);

    pane.Click(pane.Value(CRightView::kSkipRepeated));
    pane.Key(Qt::Key_Down); // No -> Same Object -> Same Pixels
    pane.Key(Qt::Key_Down);
    pane.Click(pane.Label(CRightView::kPageRange));
    EXPECT_EQ(pane.settings.skipRepeated, REPEATS_SAME_PIXELS);
    const std::string dump = pane.Dump();
    EXPECT_NE(dump.find("  [Selection]\n"
                        "    Minimum Width = 32\n"
                        "    Minimum Height = 0\n"
                        "    Skip Repeated Images = Same Pixels\n"),
              std::string::npos)
        << dump;
}

// Transparency can be chosen where the format keeps alpha; a choice other
// than Alpha stays open to change in every format.
TEST(OptionsView, TransparencyIsReadOnlyOnlyForAlphaInAFormatWithoutIt) {
    OptionsPane pane;
    pane.Click(pane.Value(CRightView::kOutputMode));
    for (int i = 0; i < 3; ++i)
        pane.Key(Qt::Key_Down); // jpg -> bmp -> gif -> png
    pane.Click(pane.Label(CRightView::kPageRange));
    ASSERT_EQ(pane.settings.imagesFormat, OUTPUT_PNG);
    EXPECT_NE(pane.Dump().find("    Transparency = Alpha\n"), std::string::npos) << pane.Dump();

    pane.Click(pane.Value(CRightView::kTransparency));
    pane.Key(Qt::Key_Down); // Alpha -> Separate Mask File
    pane.Click(pane.Label(CRightView::kPageRange));
    EXPECT_EQ(pane.settings.masks, MASKS_SEPARATE);

    pane.Click(pane.Value(CRightView::kOutputMode));
    for (int i = 0; i < 3; ++i)
        pane.Key(Qt::Key_Up); // png -> gif -> bmp -> jpg
    pane.Click(pane.Label(CRightView::kPageRange));
    ASSERT_EQ(pane.settings.imagesFormat, OUTPUT_JPG);
    EXPECT_NE(pane.Dump().find("    Transparency = Separate Mask File\n"), std::string::npos) << pane.Dump();

    pane.Click(pane.Value(CRightView::kTransparency));
    pane.Key(Qt::Key_Up); // Separate Mask File -> Alpha, which jpg cannot keep
    pane.Click(pane.Label(CRightView::kPageRange));
    EXPECT_EQ(pane.settings.masks, MASKS_ALPHA);
    EXPECT_NE(pane.Dump().find("    Transparency = Alpha (read-only)\n"), std::string::npos) << pane.Dump();
}

// The orientation row steps from As Stored to As Shown and back, and each
// choice reaches the settings.
TEST(OptionsView, TheOrientationRowReachesTheSettings) {
    OptionsPane pane;
    pane.view.resize(360, 640); // every row in sight
    QCoreApplication::processEvents();
    pane.Click(pane.Value(CRightView::kOrientation));
    pane.Key(Qt::Key_Down);
    pane.Click(pane.Label(CRightView::kPageRange));
    EXPECT_EQ(pane.settings.orientation, ORIENT_SHOWN);
    EXPECT_NE(pane.Dump().find("    Orientation = As Shown\n"), std::string::npos) << pane.Dump();

    pane.Click(pane.Value(CRightView::kOrientation));
    pane.Key(Qt::Key_Up);
    pane.Click(pane.Label(CRightView::kPageRange));
    EXPECT_EQ(pane.settings.orientation, ORIENT_STORED);
}

TEST(OptionsView, ChoosingSelectedPagesAndPngChangesTheReadOnlyRules) {
    OptionsPane pane;
    pane.Click(pane.Value(CRightView::kPageRange)); // opens the drop-down list
    auto* combo = pane.Tree().GetListWindow()->ClientWidget()->findChildren<QComboBox*>().front();
    ASSERT_TRUE(combo->isVisible());
    pane.Key(Qt::Key_Down); // "Selected Pages"
    pane.Click(pane.Label(CRightView::kOpenResults)); // the focus moves on inside the tree: committed
    EXPECT_EQ(pane.settings.pageRange, 1);
    EXPECT_NE(pane.Dump().find("    Begin Page = 1\n"), std::string::npos) << pane.Dump();
    EXPECT_NE(pane.Dump().find("    End Page = 1000\n"), std::string::npos) << pane.Dump();
    EXPECT_NE(pane.Dump().find("> " "  Open Results = Yes\n"), std::string::npos) << pane.Dump();

    pane.Click(pane.Value(CRightView::kOutputMode));
    for (int i = 0; i < 3; ++i)
        pane.Key(Qt::Key_Down); // jpg -> bmp -> gif -> png
    pane.Click(pane.Label(CRightView::kPageRange));
    EXPECT_EQ(pane.settings.imagesFormat, 4);
    EXPECT_NE(pane.Dump().find("    Output Mode = png\n"), std::string::npos) << pane.Dump();
    EXPECT_NE(pane.Dump().find("    Jpeg Quality (%) = 70 (read-only)\n"), std::string::npos) << pane.Dump();
    EXPECT_NE(pane.Dump().find("    Jpeg Gray Scale = False (read-only)\n"), std::string::npos) << pane.Dump();
}

TEST(OptionsView, ReadOnlyItemsOpenNoEditor) {
    OptionsPane pane;
    pane.Click(pane.Value(CRightView::kBeginPage));
    EXPECT_NE(pane.Dump().find(">   Begin Page = 1 (read-only)"), std::string::npos) << pane.Dump();
    for (QLineEdit* edit : pane.List()->findChildren<QLineEdit*>())
        EXPECT_FALSE(edit->isVisible());
}

TEST(OptionsView, SpinnerTextReachesTheSettingsWhenTheFocusLeaves) {
    ConvertSettings initial;
    initial.pageRange = 1;
    OptionsPane pane(initial);
    pane.Click(pane.Value(CRightView::kBeginPage));
    QLineEdit* edit = QApplication::focusWidget() ? qobject_cast<QLineEdit*>(QApplication::focusWidget()) : nullptr;
    ASSERT_NE(edit, nullptr);
    edit->selectAll();
    QTest::keyClicks(edit, "12abc");
    pane.Click(pane.Label(CRightView::kOpenResults));
    QCoreApplication::processEvents();
    EXPECT_EQ(pane.settings.startPage, 12);
    EXPECT_NE(pane.Dump().find("    Begin Page = 12abc\n"), std::string::npos) << pane.Dump();

    // Beyond the range as text; a step up changes nothing, a step down counts down.
    pane.Click(pane.Value(CRightView::kEndPage));
    edit = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    ASSERT_NE(edit, nullptr);
    edit->selectAll();
    QTest::keyClicks(edit, "5000");
    QTest::keyClick(edit, Qt::Key_Up);
    EXPECT_EQ(edit->text().toStdString(), "5000");
    QTest::keyClick(edit, Qt::Key_Down);
    EXPECT_EQ(edit->text().toStdString(), "4999");
    pane.Click(pane.Label(CRightView::kPageRange));
    EXPECT_EQ(pane.settings.endPage, 4999);
}

TEST(OptionsView, TheSpinnerButtonsStopAtTheLimits) {
    ConvertSettings initial;
    initial.jpegQuality = 100;
    OptionsPane pane(initial);
    pane.Click(pane.Value(CRightView::kJpegQuality));
    auto* item = static_cast<CChoiceTreeItemSpinner*>(pane.Tree().FindItem(CRightView::kJpegQuality));
    CChoiceTreeSpinnerButton* button = item->GetWindow();
    const RECT up = button->UpButton(), down = button->DownButton();
    QTest::mouseClick(button->ClientWidget(), Qt::LeftButton, {}, QPoint((up.left + up.right) / 2, up.top + 2));
    EXPECT_EQ(item->GetEditText(), "100");
    QTest::mouseClick(button->ClientWidget(), Qt::LeftButton, {}, QPoint((down.left + down.right) / 2, down.bottom - 2));
    EXPECT_EQ(item->GetEditText(), "99");
}

TEST(OptionsView, TheFolderComesFromTheDialogAndReachesARun) {
    RecordingServices services;
    OptionsPane pane;
    pane.Click(pane.Value(CRightView::kOutputDirectory)); // cancelled
    EXPECT_NE(pane.Dump().find("Output Directory = No selection made."), std::string::npos);
    services.folders = {"/tmp/images"};
    pane.Click(pane.Value(CRightView::kOutputDirectory));
    EXPECT_EQ(services.folderDialogs.back(),
              "Please select a folder to save result files. All the output files will be saved to this folder. | ");
    EXPECT_NE(pane.Dump().find("Output Directory = /tmp/images/"), std::string::npos) << pane.Dump();
    EXPECT_EQ(pane.settings.outputDirectory, ""); // only a run copies it

    // The run reads the tree from its worker thread.
    std::atomic<bool> done{false};
    std::thread worker([&] {
        pane.view.ReadOptionsFromTree();
        done = true;
    });
    PumpMessagesUntil([&] { return done.load(); });
    worker.join();
    EXPECT_EQ(pane.settings.outputDirectory, "/tmp/images/");
    EXPECT_EQ(pane.settings.imagesFormat, 1);
    EXPECT_EQ(pane.settings.jpegQuality, 70);
}

TEST(OptionsView, KeysMoveExpandAndActivate) {
    OptionsPane pane;
    pane.Click(pane.Label(CRightView::kGeneral));
    pane.Key(Qt::Key_Down);
    pane.Key(Qt::Key_Down);
    EXPECT_NE(pane.Dump().find(">   Begin Page"), std::string::npos) << pane.Dump();
    pane.Key(Qt::Key_End);
    EXPECT_NE(pane.Dump().find(">   Skip Repeated Images"), std::string::npos) << pane.Dump();
    pane.Key(Qt::Key_Home);
    pane.Key(Qt::Key_Left); // collapses the category
    EXPECT_EQ(pane.Dump().find("Page Range"), std::string::npos) << pane.Dump();
    pane.Key(Qt::Key_Right);
    EXPECT_NE(pane.Dump().find("Page Range"), std::string::npos) << pane.Dump();
    pane.Key(Qt::Key_Tab); // on a category Tab does nothing
    EXPECT_NE(pane.Dump().find("> [Output General Options]"), std::string::npos) << pane.Dump();
    pane.Key(Qt::Key_Down);
    pane.Key(Qt::Key_Tab); // to Begin Page, read-only: no editor
    EXPECT_NE(pane.Dump().find(">   Begin Page"), std::string::npos) << pane.Dump();
    pane.Key(Qt::Key_Up);
    pane.Key(Qt::Key_Return); // Page Range opens its list
    auto* combo = pane.List()->findChildren<QComboBox*>().front();
    EXPECT_TRUE(combo->isVisible());
}

TEST(OptionsView, BandColourMarginDividerAndGreyReadOnlyText) {
    OptionsPane pane;
    const QImage list = pane.List()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QRgb band = qRgb(227, 246, 253);
    EXPECT_EQ(list.pixel(200, 10), band); // a category row
    EXPECT_EQ(list.pixel(8, 40), qRgb(192, 192, 192)); // the shaded margin
    const int divider = pane.Tree().GetColumn();
    EXPECT_EQ(list.pixel(divider, 30), qRgb(128, 128, 128)); // the divider line
    // Read-only values are drawn in the grey-text colour, editable ones in button text.
    auto inked = [&](int id, QRgb ink) {
        const RECT& cell = pane.Tree().FindItem(id)->GetAttributeRect();
        int count = 0;
        for (int y = cell.top; y < cell.bottom; ++y)
            for (int x = cell.left; x < cell.left + 40; ++x)
                count += list.pixel(x, y) == ink;
        return count;
    };
    EXPECT_GT(inked(CRightView::kBeginPage, qRgb(128, 128, 128)), 3);
    EXPECT_EQ(inked(CRightView::kBeginPage, qRgb(0, 0, 0)), 0);
    EXPECT_GT(inked(CRightView::kJpegQuality, qRgb(0, 0, 0)), 3);
    // The expand box of a category: its outline and the minus stroke.
    EXPECT_EQ(list.pixel(4, 5), qRgb(128, 128, 128));
    EXPECT_EQ(list.pixel(7, 9), qRgb(0, 0, 0));
}

TEST(OptionsView, ItemColoursAreTheSystemColoursOfTheirRoles) {
    // A kind that paints its value cell with the colours the item gives it.
    struct FilledItem : CChoiceTreeItem {
        void DrawAttribute(CDC* dc, const RECT& rect) override {
            dc->FillSolidRect(rect, GetValueBackgroundColor());
            dc->FillSolidRect(RECT{rect.left + 2, rect.top + 2, rect.left + 6, rect.top + 6}, GetValueTextColor());
        }
    };
    OptionsPane pane;
    auto* item = pane.Tree().InsertItem(new FilledItem, pane.Tree().GetRootItem()->GetChild());
    item->SetLabelText("Filled");
    struct Case {
        COLORREF (CChoiceTreeItem::*get)() const;
        int role;
    } cases[] = {
        {&CChoiceTreeItem::GetValueBackgroundColor, COLOR_WINDOW},
        {&CChoiceTreeItem::GetValueTextColor, COLOR_BTNTEXT},
        {&CChoiceTreeItem::GetCategoryBackgroundColor, COLOR_BTNFACE},
        {&CChoiceTreeItem::GetLabelTextColor, COLOR_BTNTEXT},
        {&CChoiceTreeItem::GetLabelBackgroundColor, COLOR_WINDOW},
    };
    for (const Case& c : cases)
        EXPECT_EQ((item->*c.get)(), GetSysColor(c.role)) << c.role;
    item->SetValueTextColor(RGB(200, 0, 0)); // a colour of its own stays
    EXPECT_EQ(item->GetValueTextColor(), RGB(200, 0, 0));

    pane.Tree().RecomputeScrollRange();
    pane.Tree().Layout();
    pane.Tree().Repaint();
    const QImage list = pane.List()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const RECT& cell = item->GetAttributeRect();
    ASSERT_LT(cell.top, list.height());
    EXPECT_EQ(list.pixel(cell.left + 20, cell.top + 8), qRgb(255, 255, 255)); // the window colour, not black
    EXPECT_EQ(list.pixel(cell.left + 3, cell.top + 3), qRgb(200, 0, 0));
}

TEST(OptionsView, AListLeftForAnotherWindowStaysOpenUntilTheFocusReturns) {
    OptionsPane pane;
    pane.Click(pane.Value(CRightView::kOpenResults));
    pane.Key(Qt::Key_Down); // "No", not committed yet
    CWnd elsewhere; // a window outside the tree takes the focus
    elsewhere.setFocusPolicy(Qt::StrongFocus);
    elsewhere.resize(50, 50);
    ShowExposed(&elsewhere);
    elsewhere.setFocus();
    QCoreApplication::processEvents();
    auto* item = static_cast<CChoiceTreeItemComboBox*>(pane.Tree().FindItem(CRightView::kOpenResults));
    EXPECT_TRUE(item->HasFocus());
    EXPECT_TRUE(item->GetWindow()->isVisible());
    EXPECT_EQ(pane.settings.openResult, 0);
    ShowExposed(&pane.view); // back to the tree, and on from the list inside it: committed
    pane.Click(pane.Label(CRightView::kPageRange));
    EXPECT_EQ(pane.settings.openResult, 1);
    EXPECT_FALSE(item->HasFocus());
}

TEST(OptionsView, TheSpinnerContextMenu) {
    RecordingServices services;
    OptionsPane pane;
    pane.Click(pane.Value(CRightView::kJpegQuality));
    auto* edit = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    ASSERT_NE(edit, nullptr);
    edit->deselect();
    QTest::mouseClick(edit, Qt::RightButton);
    EXPECT_EQ(services.menu, (std::vector<std::string>{"(&Undo)", "-", "(Cu&t)", "(&Copy)", "(&Paste)", "(&Delete)",
                                                      "-", "(Select &All)"}));
    services.clipboard = "85";
    edit->selectAll();
    services.menuAnswer = WM_PASTE;
    QTest::mouseClick(edit, Qt::RightButton);
    EXPECT_EQ(services.menu, (std::vector<std::string>{"(&Undo)", "-", "Cu&t", "&Copy", "&Paste", "&Delete", "-",
                                                      "Select &All"}));
    EXPECT_EQ(edit->text().toStdString(), "85");
}

TEST(OptionsView, TheDescriptionPaneShowsTheFocusedItem) {
    OptionsPane pane;
    CChoiceTreeInfo* info = pane.Tree().GetInfoWindow();
    const QImage empty = info->ClientWidget()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(empty.pixel(0, 0), qRgb(128, 128, 128));  // the sunken edge
    EXPECT_EQ(empty.pixel(20, 25), qRgb(192, 192, 192)); // button face, nothing written
    pane.Click(pane.Label(CRightView::kOutputMode));
    const QImage shown = info->ClientWidget()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    auto ink = [](const QImage& image, int top, int bottom) {
        int count = 0;
        for (int y = top; y < bottom; ++y)
            for (int x = 4; x < image.width() - 4; ++x)
                count += qGray(image.pixel(x, y)) < 100;
        return count;
    };
    const int titleHeight = QFontMetrics(CChoiceTree::BoldFont()).height();
    EXPECT_GT(ink(shown, 4, 4 + titleHeight), 20);                    // "Output Mode"
    EXPECT_GT(ink(shown, 4 + titleHeight, shown.height() - 4), 20);   // its description
    // The title is bold: it inks more than the same text in the normal font.
    QImage normal(200, 30, QImage::Format_RGB32), bold(200, 30, QImage::Format_RGB32);
    for (auto [image, font] : {std::pair{&normal, &CChoiceTree::NormalFont()}, std::pair{&bold, &CChoiceTree::BoldFont()}}) {
        image->fill(Qt::white);
        QPainter painter(image);
        painter.setFont(*font);
        painter.setPen(Qt::black);
        painter.drawText(0, 20, "Output Mode");
    }
    EXPECT_NEAR(ink(shown, 4, 4 + titleHeight), ink(bold, 0, 30), ink(bold, 0, 30) / 5);
    EXPECT_GT(ink(bold, 0, 30), ink(normal, 0, 30));
}

TEST(OptionsView, TheDividerIsDraggedWithinItsBounds) {
    OptionsPane pane;
    const int y = pane.Value(CRightView::kPageRange).y();
    const int right = pane.Tree().GetListWindow()->GetClientRect().right;
    struct Case {
        int to, divider;
    } cases[] = {{10, 41}, {200, 200}, {right + 50, right - 25}};
    for (const Case& c : cases) {
        const int from = pane.Tree().GetColumn();
        QTest::mousePress(pane.List(), Qt::LeftButton, {}, QPoint(from, y));
        EXPECT_TRUE(pane.Tree().GetListWindow()->IsDragging());
        QTest::mouseMove(pane.List(), QPoint(std::min(c.to, right - 1), y));
        QTest::mouseRelease(pane.List(), Qt::LeftButton, {}, QPoint(c.to, y));
        EXPECT_EQ(pane.Tree().GetColumn(), c.divider) << c.to;
        EXPECT_EQ(pane.Tree().FindItem(CRightView::kPageRange)->GetAttributeRect().left, c.divider + 5);
    }
}

TEST(OptionsView, NarrowingThePaneKeepsTheDividerInside) {
    OptionsPane pane;
    ASSERT_EQ(pane.Tree().GetColumn(), 150);
    // Each width in turn, as a splitter narrows and widens the pane: the
    // divider stays 16 pixels inside the tree and is not given back.
    struct Case {
        int width, divider;
    } cases[] = {{140, 124}, {100, 84}, {300, 84}};
    for (const Case& c : cases) {
        pane.view.resize(c.width, 420);
        QCoreApplication::processEvents();
        ASSERT_EQ(pane.Tree().GetClientRect().right, c.width);
        EXPECT_EQ(pane.Tree().GetColumn(), c.divider) << c.width;
        EXPECT_EQ(pane.Tree().FindItem(CRightView::kPageRange)->GetAttributeRect().left, c.divider + 5) << c.width;
    }
}

TEST(OptionsView, AResetRebuildsTheDefaultTree) {
    ConvertSettings changed;
    changed.imagesFormat = 4;
    changed.pageRange = 1;
    OptionsPane pane(changed);
    pane.Click(pane.Label(CRightView::kOutput));
    pane.Key(Qt::Key_Left); // collapsed
    const std::string before = pane.Dump();
    ResetSettings(pane.settings);
    pane.view.BuildOptionTree();
    OptionsPane defaults;
    EXPECT_EQ(pane.Dump(), defaults.Dump());
    EXPECT_NE(pane.Dump(), before);
    EXPECT_EQ(pane.Tree().FindItem(CRightView::kSkipRepeated + 1), nullptr); // identifiers start again at 1
    EXPECT_EQ(pane.Tree().FindItem(CRightView::kSkipRepeated)->GetLabelText(), "Skip Repeated Images");
}

// The pointer over a text drawn cut short shows it whole: a long output
// folder (drawn on one line, its middle left out), a label the divider cuts;
// over a text that shows whole, no tooltip.
TEST(OptionsView, TextCutShortShowsWholeInATooltip) {
    RecordingServices services;
    OptionsPane pane;
    const std::string folder = "/tmp/an-output-folder/with-a-long-path/that-goes-on-and-on/to-its-very-end/";
    services.folders = {folder};
    pane.Click(pane.Value(CRightView::kOutputDirectory));
    const auto tipOver = [&](QPoint at) {
        QTest::mouseMove(pane.List(), at);
        QCoreApplication::processEvents();
        return pane.List()->toolTip().toStdString();
    };
    EXPECT_EQ(tipOver(pane.Value(CRightView::kOutputDirectory)), folder);
    EXPECT_EQ(tipOver(pane.Value(CRightView::kOutputMode)), "") << "jpg fits";
    EXPECT_EQ(tipOver(pane.Label(CRightView::kOutputDirectory)), "") << "the label fits";
    pane.Tree().SetColumn(60);
    pane.Tree().Repaint();
    EXPECT_EQ(tipOver(pane.Value(CRightView::kPageRange)), "") << "All Pages fits the wider value";
    EXPECT_EQ(tipOver(pane.Label(CRightView::kOutputDirectory)), "Output Directory");
}

// With a dialog font larger than the reference, the rows grow to hold a
// line and the divider moves right of the longest label; at the reference
// they stay as drawn (21 and 150).
TEST(OptionsView, RowsAndDividerGrowWithTheDialogFont) {
    {
        OptionsPane pane;
        EXPECT_EQ(pane.Tree().FindItem(CRightView::kPageRange)->GetHeight(), 21);
        EXPECT_EQ(pane.Tree().GetColumn(), 150);
    }
    SystemSettings large = ClassicSystemSettings();
    large.dialogFont.lfHeight = large.menuFont.lfHeight = -24;
    PinSystemSettings(large); // the trees' fonts are made afresh with the first tree
    {
        OptionsPane pane;
        const QFontMetrics normal(CChoiceTree::NormalFont());
        for (CChoiceTreeItem* item : pane.Tree().VisibleItems()) {
            EXPECT_GE(item->GetAttributeRect().Height(), normal.height()) << item->GetLabelText();
            const int label = normal.horizontalAdvance(QString::fromStdString(item->GetLabelText()));
            if (!item->IsCategory())
                EXPECT_LE(CT_MARGIN + 5 + label + 1, pane.Tree().GetColumn()) << item->GetLabelText();
        }
    }
    PinSystemSettings(ClassicSystemSettings());
}

// Stored encodings are kept on a Yes, which the run's settings take.
TEST(OptionsView, KeepOriginalEncodingIsNoUntilChosen) {
    OptionsPane pane;
    EXPECT_NE(pane.Dump().find("    Keep Original Encoding = No\n"), std::string::npos) << pane.Dump();
    pane.Click(pane.Value(CRightView::kKeepNative));
    pane.Key(Qt::Key_Up); // No -> Yes
    pane.Click(pane.Label(CRightView::kPageRange));
    EXPECT_EQ(pane.settings.keepStored, 1);
    EXPECT_NE(pane.Dump().find("    Keep Original Encoding = Yes\n"), std::string::npos) << pane.Dump();
}
