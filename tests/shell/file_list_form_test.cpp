// The file list form: its layout, keys, context menu, command states and
// summary, and the icon buttons it is made of.
#include "shell/commands.h"
#include "shell/file_list_form.h"
#include "tests/support/gui_support.h"
#include "tests/support/test_support.h"
#include "platform/ui/system_metrics.h"

#include <QApplication>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <filesystem>
#include <gtest/gtest.h>

namespace {

using Lines = std::vector<std::string>;
using testing_support::CorpusFiles;
using testing_support::HaveCorpus;

struct FormWindow {
    ConvertSettings settings;
    CWnd window;
    CRightView options{settings};
    CFileListForm form{settings, &options};
    explicit FormWindow(int width = 640, int height = 600) {
        window.resize(width + 360, height);
        options.Create(WS_CHILD | WS_VISIBLE, RECT{width, 0, width + 360, height}, &window, 2);
        options.BuildOptionTree();
        form.Create(WS_CHILD | WS_VISIBLE, RECT{0, 0, width, height}, &window, 1);
        ShowExposed(&window);
    }
    RECT Place(CWnd& control) { return control.GetWindowRect(); }
    void Key(int key, Qt::KeyboardModifiers modifiers = {}) {
        form.Grid().SetFocus();
        QTest::keyClick(QApplication::focusWidget(), static_cast<Qt::Key>(key), modifiers);
        QCoreApplication::processEvents();
    }
};

} // namespace

TEST(FileListForm, LayoutFollowsTheFormsSize) {
    FormWindow w(640, 600); // H = 600, H/2 = 300
    struct Case {
        CWnd* control;
        RECT place;
    } cases[] = {
        {&w.form.Grid(), {0, 0, 640, 256}},
        {&w.form.Button(ID_OPEN_FILE), {5, 264, 37, 296}},
        {&w.form.Button(ID_CLEAR_ALL_SELECTED), {161, 264, 193, 296}},
        {&w.form.Summary(), {0, 304, 640, 552}},
        {&w.form.Button(ID_START_CONVERT), {5, 560, 37, 592}},
        {&w.form.Button(ID_STOP_CONVERT), {57, 560, 89, 592}},
        {&w.form.CurrentBar(), {145, 560, 640, 572}},
        {&w.form.TotalBar(), {145, 580, 640, 592}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(w.Place(*c.control), c.place) << c.place.left << "," << c.place.top;
    EXPECT_EQ(w.form.CurrentBar().GetWindowText(), "Waiting for converting.");
    const QImage picture = w.form.grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(picture.pixel(300, 280), qRgb(227, 246, 253)); // the band behind the buttons
}

// With a dialog font larger than the reference (and the application's font
// as large), the bottom rows grow to hold the labels and the bar texts, the
// headers show whole and the rows hold a line: every text of the form fits.
TEST(FileListForm, ALargerFontGrowsWhatHoldsText) {
    SystemSettings large = ClassicSystemSettings();
    large.dialogFont.lfHeight = large.messageFont.lfHeight = -22;
    PinSystemSettings(large);
    const QFont pinned = QApplication::font();
    QFont font = pinned;
    font.setPixelSize(22);
    QApplication::setFont(font);
    {
        FormWindow w(800, 600);
        w.form.Jobs().AddJob(std::string(VELLUMIN_SOURCE_DIR) + "/resources/sample.pdf");
        const RECT bar = w.Place(w.form.CurrentBar()), total = w.Place(w.form.TotalBar());
        const RECT label = w.Place(w.form.CurrentLabel());
        const QFontMetrics metrics(font);
        EXPECT_GE(bar.Height(), metrics.height());
        EXPECT_GE(label.Width(), metrics.horizontalAdvance("Current"));
        EXPECT_LE(bar.bottom + 8, total.top) << "the bars do not overlap";
        EXPECT_GE(bar.left, label.right) << "the bar starts past its label";
        EXPECT_LE(w.Place(w.form.Summary()).bottom, bar.top) << "the summary ends above the bars";
        CDataGrid& grid = w.form.Grid();
        for (int col = 1; col < grid.GetColumnCount(); ++col) {
            const CGridCellBase* header = grid.GetCell(0, col);
            const QFont bold = CFont(*header->GetFont()).Font();
            EXPECT_GE(grid.TextRoom(0, col).cx, QFontMetrics(bold).horizontalAdvance(
                                                    QString::fromStdString(header->GetText())))
                << header->GetText();
            EXPECT_GE(grid.TextRoom(0, col).cy, QFontMetrics(bold).height()) << header->GetText();
            EXPECT_GE(grid.TextRoom(1, col).cy, metrics.height()) << "row 1, column " << col;
        }
    }
    QApplication::setFont(pinned);
    PinSystemSettings(ClassicSystemSettings());
}

TEST(FileListForm, KeysRunTheListCommands) {
    RecordingServices services;
    FormWindow w;
    services.files = {"/d/a.pdf", "/d/b.pdf", "/d/c.pdf"};
    w.Key(Qt::Key_O, Qt::ControlModifier); // Open File
    EXPECT_EQ(w.form.Jobs().Paths().size(), 3u);
    w.Key(Qt::Key_X, Qt::ControlModifier); // Clear All Selected
    EXPECT_TRUE(w.form.Jobs().CheckedEntries().empty());
    w.Key(Qt::Key_A, Qt::ControlModifier); // Select All Items
    EXPECT_EQ(w.form.Jobs().CheckedEntries().size(), 3u);
    w.Key(Qt::Key_I, Qt::ControlModifier); // Invert Select
    EXPECT_TRUE(w.form.Jobs().CheckedEntries().empty());
    QTest::mouseClick(w.form.Grid().ClientWidget(), Qt::LeftButton, {}, QPoint(100, 18 * 2 + 9)); // row 2
    w.Key(Qt::Key_Space); // Select Current Item
    EXPECT_TRUE(w.form.Jobs().IsChecked(2));
    w.Key(Qt::Key_E, Qt::ControlModifier);
    w.Key(Qt::Key_W, Qt::ControlModifier);
    EXPECT_EQ(services.opened, (Lines{"/d/", "/d/b.pdf"}));
    w.Key(Qt::Key_Delete); // Remove Selected
    EXPECT_EQ(w.form.Jobs().Paths(), (Lines{"/d/a.pdf", "/d/c.pdf"}));
    w.Key(Qt::Key_O); // O without Ctrl opens nothing
    EXPECT_EQ(w.form.Jobs().Paths().size(), 2u);
    w.Key(Qt::Key_Delete, Qt::ControlModifier); // Remove All
    EXPECT_TRUE(w.form.Jobs().Paths().empty());
}

TEST(FileListForm, CommandStatesAndTheContextMenu) {
    RecordingServices services;
    FormWindow w;
    // An empty list: no menu, Start grayed, Open File enabled.
    QTest::mouseClick(w.form.Grid().ClientWidget(), Qt::RightButton, {}, QPoint(50, 50));
    EXPECT_TRUE(services.menu.empty());
    EXPECT_FALSE(w.form.IsCommandEnabled(ID_START_CONVERT));
    EXPECT_TRUE(w.form.IsCommandEnabled(ID_OPEN_FILE));
    EXPECT_FALSE(w.form.IsCommandEnabled(ID_STOP_CONVERT));
    services.files = {"/d/a.pdf"};
    w.form.OnCommand(ID_OPEN_FILE);
    EXPECT_TRUE(w.form.IsCommandEnabled(ID_START_CONVERT));
    EXPECT_TRUE(w.form.IsCommandEnabled(ID_STOP_CONVERT));
    services.menuAnswer = ID_INVERT_SELECT;
    QTest::mouseClick(w.form.Grid().ClientWidget(), Qt::RightButton, {}, QPoint(50, 30));
    EXPECT_EQ(services.menu,
              (Lines{"Open File\tCtrl+O", "Import Directory\tCtrl+D", "-", "Open File Directory\tCtrl+E",
                     "Open with Associated App\tCtrl+W", "-", "Remove Selected\tDel", "Remove All\tCtrl+Del", "-",
                     "Select Current Item\tSpace", "Select All Items\tCtrl+A", "Clear All Selected\tCtrl+X",
                     "Invert Select\tCtrl+I", "-", "Start Convert\tF5", "Stop Convert\tShift+F5"}));
    EXPECT_FALSE(w.form.Jobs().IsChecked(1)); // the chosen command ran
}

TEST(FileListForm, AClickShowsTheSummaryAndItsPageCountInEndPage) {
    RecordingServices services;
    FormWindow w;
    services.files = {std::string(VELLUMIN_SOURCE_DIR) + "/resources/sample.pdf"};
    w.form.OnCommand(ID_OPEN_FILE);
    QTest::mouseClick(w.form.Grid().ClientWidget(), Qt::LeftButton, {}, QPoint(100, 27));
    EXPECT_NE(w.form.Summary().GetPlainText().find("PDF Description"), std::string::npos)
        << w.form.Summary().GetPlainText();
    auto* endPage = static_cast<CChoiceTreeItemSpinner*>(w.options.Tree().FindItem(CRightView::kEndPage));
    EXPECT_EQ(endPage->GetEditText(), "2"); // the sample has two pages
    EXPECT_EQ(w.settings.endPage, 1000);    // the settings wait for the next run
    w.form.OnCommand(ID_REMOVE_ALL);
    EXPECT_EQ(w.form.Summary().GetPlainText(), "");
}

namespace {

// Clicks the grid's row (1 for the first document).
void ClickRow(FormWindow& w, int row) {
    QTest::mouseClick(w.form.Grid().ClientWidget(), Qt::LeftButton, {}, QPoint(100, 27 + 20 * (row - 1)));
    QCoreApplication::processEvents();
}

} // namespace

// The counts at the end of a run are plain text, though the summary of a
// document clicked before the run began with its bold blue heading.
TEST(FileListForm, TheRunReportIsPlainAfterADocumentsSummary) {
    RecordingServices services;
    testing_support::TempDir dir;
    std::filesystem::copy_file(std::string(VELLUMIN_SOURCE_DIR) + "/resources/sample.pdf", dir / "one.pdf");
    FormWindow w;
    services.files = {dir / "one.pdf"};
    w.form.OnCommand(ID_OPEN_FILE);
    ClickRow(w, 1);
    QTextCursor start(w.form.Summary().TextEdit()->document());
    start.movePosition(QTextCursor::NextCharacter);
    ASSERT_EQ(start.charFormat().fontWeight(), QFont::Bold); // the document's heading
    w.form.OnCommand(ID_START_CONVERT);
    ASSERT_EQ(w.form.Summary().GetPlainText().rfind("Convert Finished\n", 0), 0u) << w.form.Summary().GetPlainText();
    for (QTextBlock block = w.form.Summary().TextEdit()->document()->begin(); block.isValid(); block = block.next())
        for (auto fragment = block.begin(); !fragment.atEnd(); ++fragment) {
            const QTextCharFormat format = fragment.fragment().charFormat();
            EXPECT_EQ(format.fontWeight(), QFont::Normal) << fragment.fragment().text().toStdString();
            EXPECT_FALSE(format.fontUnderline()) << fragment.fragment().text().toStdString();
            EXPECT_EQ(format.foreground().color(), QColor(Qt::black)) << fragment.fragment().text().toStdString();
        }
}

// The summary shows at once; the images follow when they are read, on a
// thread of their own.
TEST(FileListForm, TheSummaryListsTheDocumentsImagesOnceRead) {
    RecordingServices services;
    FormWindow w;
    services.files = {std::string(VELLUMIN_SOURCE_DIR) + "/resources/sample.pdf"};
    w.form.OnCommand(ID_OPEN_FILE);
    ClickRow(w, 1);
    const std::string first = w.form.Summary().GetPlainText();
    EXPECT_NE(first.find("PDF Description"), std::string::npos) << first;
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.form.Summary().GetPlainText().find("Images: ") != std::string::npos; }))
        << w.form.Summary().GetPlainText();
    const std::string text = w.form.Summary().GetPlainText();
    EXPECT_EQ(text.rfind(first.substr(0, first.find("Images:")), 0), 0u) << text; // the summary stays above
    EXPECT_EQ(text.find("Reading the images"), std::string::npos) << text;
    EXPECT_NE(text.find("Commenting: Allowed\nImages: 11\n\tPage 1: 48 x 32, DeviceRGB, jpeg, "), std::string::npos)
        << text;
    EXPECT_NE(text.find("\tPage 1: 4 x 2, DeviceRGB, raw, "), std::string::npos) << text;
    EXPECT_NE(text.find("\tPage 2: 48 x 32, DeviceRGB, jpeg, "), std::string::npos) << text;

    // Removed: nothing comes back into the emptied panel.
    w.form.OnCommand(ID_REMOVE_ALL);
    QTest::qWait(100);
    EXPECT_EQ(w.form.Summary().GetPlainText(), "");
}

// A click on another document while a long one is read shows the other's
// list, and the first read never comes back into the panel.
TEST(FileListForm, AClickOnAnotherDocumentCancelsTheRead) {
    if (!HaveCorpus())
        GTEST_SKIP() << "the corpus of real PDFs (../shared/corpus) is not here";
    RecordingServices services;
    FormWindow w;
    services.files = CorpusFiles({"bigdoc-303-pages-weka.pdf"});
    services.files.push_back(std::string(VELLUMIN_SOURCE_DIR) + "/resources/sample.pdf");
    w.form.OnCommand(ID_OPEN_FILE);
    ClickRow(w, 1);
    EXPECT_NE(w.form.Summary().GetPlainText().find("Reading the images"), std::string::npos)
        << w.form.Summary().GetPlainText();
    ClickRow(w, 2);
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.form.Summary().GetPlainText().find("Images: ") != std::string::npos; }))
        << w.form.Summary().GetPlainText();
    QTest::qWait(300); // time for a read that was not stopped to come back
    const std::string text = w.form.Summary().GetPlainText();
    EXPECT_NE(text.find("sample.pdf"), std::string::npos) << text;
    EXPECT_NE(text.find("Images: 11\n"), std::string::npos) << text;
    EXPECT_EQ(text.find("weka"), std::string::npos) << text;
}

TEST(IconButton, IconsStatesAndClicks) {
    struct Parent : CWnd {
        Lines commands;
        LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
            if (message == WM_COMMAND)
                commands.push_back(std::to_string(LOWORD(wParam)));
            return CWnd::WindowProc(message, wParam, lParam);
        }
    } parent;
    parent.resize(120, 60);
    CIconButton first(&parent), second(&parent);
    QImage icon(16, 16, QImage::Format_ARGB32);
    icon.fill(QColor(200, 100, 40));
    for (CIconButton* button : {&first, &second}) {
        button->SetIcon(icon, ICON_SECOND_DARKER);
        button->SetDlgCtrlID(button == &first ? 32770 : 32771);
    }
    first.setGeometry(0, 0, 32, 32);
    second.setGeometry(40, 0, 32, 32);
    ShowExposed(&parent);
    EXPECT_EQ(CIconButton::Darker(icon).pixel(3, 3), qRgb(150, 75, 30));
    EXPECT_EQ(CIconButton::Grey(icon).pixel(3, 3) & 0xFF, 123u); // 0.299 R + 0.587 G + 0.114 B, truncated
    first.EnableWindow(false);
    EXPECT_EQ(first.CurrentIcon().pixel(3, 3), qRgb(150, 75, 30)); // the darker icon while disabled
    first.EnableWindow(true);
    EXPECT_EQ(first.CurrentIcon().pixel(3, 3), icon.pixel(3, 3));

    // A press shows the icon one pixel lower and to the right.
    const QImage up = first.grab().toImage();
    QTest::mousePress(first.ClientWidget(), Qt::LeftButton, {}, QPoint(16, 16));
    const QImage down = first.grab().toImage();
    EXPECT_EQ(down.pixel(9, 9), up.pixel(8, 8));
    QTest::mouseRelease(first.ClientWidget(), Qt::LeftButton, {}, QPoint(16, 16));
    // A double click acts as two clicks.
    QTest::mouseClick(second.ClientWidget(), Qt::LeftButton, {}, QPoint(16, 16));
    QTest::mouseDClick(second.ClientWidget(), Qt::LeftButton, {}, QPoint(16, 16));
    QTest::mouseRelease(second.ClientWidget(), Qt::LeftButton, {}, QPoint(16, 16));
    EXPECT_EQ(parent.commands, (Lines{"32770", "32771", "32771"}));

    // Hover raises the button under the pointer; leaving flattens it.
    QTest::mouseMove(first.ClientWidget(), QPoint(10, 10));
    QMouseEvent move(QEvent::MouseMove, QPointF(10, 10), first.mapToGlobal(QPointF(10, 10)), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(first.ClientWidget(), &move);
    EXPECT_TRUE(first.IsHovered());
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(first.ClientWidget(), &leave);
    QApplication::sendEvent(second.ClientWidget(), &move);
    EXPECT_FALSE(first.IsHovered());
    EXPECT_TRUE(second.IsHovered());
}

// A run started while a document's images are read stops the read, so that
// the run has the processors to itself, and starts it again once the run
// ends without a report in the panel (no document was checked).
TEST(FileListForm, TheImageListReadWaitsForARun) {
    if (!HaveCorpus())
        GTEST_SKIP() << "the corpus of real PDFs (../shared/corpus) is not here";
    RecordingServices services;
    FormWindow w;
    services.files = CorpusFiles({"bigdoc-303-pages-weka.pdf"});
    w.form.OnCommand(ID_OPEN_FILE);
    ClickRow(w, 1);
    w.form.OnCommand(ID_CLEAR_ALL_SELECTED);
    ASSERT_NE(w.form.Summary().GetPlainText().find("Reading the images"), std::string::npos)
        << w.form.Summary().GetPlainText();
    w.form.OnCommand(ID_START_CONVERT);
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.form.Summary().GetPlainText().find("Images: ") != std::string::npos; },
                                120000))
        << w.form.Summary().GetPlainText();
    const std::string text = w.form.Summary().GetPlainText();
    EXPECT_EQ(text.find("Reading the images"), std::string::npos) << text;
}
