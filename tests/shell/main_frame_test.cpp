// The main window: its menu from the resources, the accelerators, the pane
// split, the single-instance rule and the splash.
#include "controls/bars/flat_menu_window.h"
#include "shell/commands.h"
#include "shell/main_frame.h"
#include "shell/screen_fit.h"
#include "shell/single_instance.h"
#include "shell/splash_window.h"
#include "platform/product_info.h"
#include "shell/program_resources.h"
#include "tests/support/gui_support.h"
#include "tests/support/shown_frame.h"
#include "tests/support/menu_script.h"
#include "tests/support/test_support.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QTextEdit>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <gtest/gtest.h>

namespace {

using Lines = std::vector<std::string>;

// Three copies of the bundled sample, a.pdf to c.pdf, in a temporary folder.
struct ThreeDocuments {
    testing_support::TempDir dir;
    std::vector<std::string> paths;
    ThreeDocuments() {
        for (const char* name : {"a.pdf", "b.pdf", "c.pdf"}) {
            std::filesystem::copy_file(std::string(VELLUMIN_SOURCE_DIR) + "/resources/sample.pdf", dir / name);
            paths.push_back(dir / name);
        }
    }
};

// A grid row's middle, in the grid's client coordinates (rows are 18 pixels).
QPoint RowPoint(int row) { return QPoint(100, 18 * row + 9); }

} // namespace

TEST(MainFrame, TheMenuComesFromTheResources) {
    ShownFrame f;
    // The menu bar's buttons are the top-level items, mnemonics included.
    CMenuBar& bar = f.frame.MenuBar();
    Lines titles;
    for (int i = 0; i < bar.ButtonCount(); ++i)
        titles.push_back(bar.String(bar.GetButton(i).iString));
    EXPECT_EQ(titles, (Lines{"&File", "&Edit", "&Help"}));
    auto itemText = [&](unsigned id) {
        for (const MenuItem& top : bar.GetMenu()->items)
            for (const MenuItem& item : top.submenu->items)
                if (item.command == id)
                    return item.text;
        return std::string("(none)");
    };
    EXPECT_EQ(itemText(ID_OPEN_FILE), "&Open File...\tCtrl+O");
    EXPECT_EQ(itemText(ID_STOP_CONVERT), "Stop Convert\tShift+F5");
    EXPECT_EQ(itemText(ID_APP_ABOUT), "&About Vellumin...");
    // The texts come from the same resources; a missing one shows as its key.
    EXPECT_EQ(ResourceString("bar.waiting"), "Waiting for converting.");
    EXPECT_EQ(ResourceString("no.such.text"), "[no.such.text]");
}

TEST(MainFrame, PanesBandAndSplit) {
    ShownFrame f;
    EXPECT_GE(f.frame.Form().width(), 640);
    const QImage picture = f.frame.grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QPoint band = f.frame.Form().mapTo(&f.frame, QPoint(300, f.frame.Form().height() / 2 - 20));
    EXPECT_EQ(picture.pixel(band), qRgb(227, 246, 253));
}

TEST(MainFrame, AcceleratorsRunTheirCommands) {
    RecordingServices services;
    ShownFrame f;
    services.files = {"/d/a.pdf", "/d/b.pdf"};
    // From the options pane: the frame's accelerators.
    f.frame.Options().Tree().GetListWindow()->SetFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(f.frame.Form().Jobs().Paths().size(), 2u);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_X, Qt::ControlModifier);
    EXPECT_TRUE(f.frame.Form().Jobs().CheckedEntries().empty());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(f.frame.Form().Jobs().CheckedEntries().size(), 2u);
    // Inside the form the form's own keys run once, not twice.
    f.frame.Form().Grid().SetFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_I, Qt::ControlModifier);
    EXPECT_TRUE(f.frame.Form().Jobs().CheckedEntries().empty());
    // Menu commands go the same way; the frame's own ones too.
    ASSERT_TRUE(ChooseMenuCommand(f.frame.MenuBar(), ID_SELECT_ALL_ITEMS));
    EXPECT_EQ(f.frame.Form().Jobs().CheckedEntries().size(), 2u);
    ASSERT_TRUE(ChooseMenuCommand(f.frame.MenuBar(), ID_HOME_PAGE));
    ASSERT_TRUE(ChooseMenuCommand(f.frame.MenuBar(), ID_HELP_ONLINE));
    ASSERT_EQ(services.opened.size(), 2u);
    EXPECT_EQ(services.opened[0].rfind("https://", 0), 0u);
    EXPECT_EQ(services.opened[1], "file:///usr/share/doc/vellumin/help.html");
    // Stop is grayed while no entry exists; Start while a run is under way.
    f.frame.OnCommand(ID_REMOVE_ALL);
    EXPECT_FALSE(f.frame.IsCommandEnabled(ID_STOP_CONVERT));
    EXPECT_FALSE(f.frame.IsCommandEnabled(ID_START_CONVERT));
    EXPECT_TRUE(f.frame.IsCommandEnabled(ID_OPEN_FILE));
}

TEST(MainFrame, AResetAsksFirstThenRebuildsTheOptions) {
    RecordingServices services;
    ShownFrame f;
    f.settings.imagesFormat = 4;
    f.frame.Options().BuildOptionTree();
    services.answer = IDNO;
    f.frame.OnCommand(ID_RESET_OPTIONS);
    EXPECT_EQ(services.messages, (Lines{"Reset all the convert options?"}));
    EXPECT_EQ(services.types, std::vector<int>{MB_YESNO | MB_ICONQUESTION});
    EXPECT_EQ(f.settings.imagesFormat, 4); // No keeps every option
    services.answer = IDYES;
    f.frame.OnCommand(ID_RESET_OPTIONS);
    EXPECT_EQ(f.settings.imagesFormat, 1);
    EXPECT_NE(DumpChoiceTree(f.frame.Options().Tree()).find("Output Mode = jpg"), std::string::npos);
}

TEST(SingleInstance, ASecondStartHandsItsDocumentsToTheFirst) {
    CSingleInstance first("vellumin-test-instance");
    EXPECT_FALSE(first.OtherIsRunning());
    int raised = 0;
    Lines handed;
    first.Listen([&](const Lines& documents) {
        ++raised;
        handed = documents;
    });
    CSingleInstance second("vellumin-test-instance");
    EXPECT_TRUE(second.OtherIsRunning({"/d/a.pdf", "/d/with space\nand line\n.pdf"}));
    QElapsedTimer clock;
    clock.start();
    while (raised == 0 && clock.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    EXPECT_EQ(raised, 1);
    EXPECT_EQ(handed, (Lines{"/d/a.pdf", "/d/with space\nand line\n.pdf"}));
}

TEST(Splash, AKeyPressEndsItAndIsTaken) {
    auto* splash = new CSplashWindow;
    splash->show();
    QPointer<CSplashWindow> watch(splash);
    struct Other : QWidget {
        int keys = 0;
        void keyPressEvent(QKeyEvent*) override { ++keys; }
    } other;
    other.show();
    QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, "a");
    QApplication::sendEvent(&other, &press);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(watch.isNull());
    EXPECT_EQ(other.keys, 0); // the press that ended the splash went no further
    QApplication::sendEvent(&other, &press);
    EXPECT_EQ(other.keys, 1);
    EXPECT_EQ(CSplashWindow::Picture().size(), QSize(420, 240));
}

// Every key of the accelerator table, pressed with the focus in the list (the
// form's own keys) and in the options (the frame's accelerators): each runs
// its command exactly once, as its effect on the list and the services shows.
TEST(MainFrame, EveryAcceleratorFromTheListAndFromTheOptions) {
    const struct {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        const char* after; // the state the key leaves behind
    } cases[] = {
        {Qt::Key_O, Qt::ControlModifier, "rows 4, checked a d"},       // Open File (d.pdf from the dialog)
        {Qt::Key_D, Qt::ControlModifier, "rows 3, checked a | folder dialog"}, // Import Directory (cancelled)
        {Qt::Key_E, Qt::ControlModifier, "rows 3, checked a | opened DIR/"},   // Open File Directory
        {Qt::Key_W, Qt::ControlModifier, "rows 3, checked a | opened DIR/b.pdf"}, // Open with Associated App
        {Qt::Key_Delete, Qt::NoModifier, "rows 2, checked a"},          // Remove Selected (b)
        {Qt::Key_Delete, Qt::ControlModifier, "rows 0, checked"},       // Remove All
        {Qt::Key_Space, Qt::NoModifier, "rows 3, checked a b"},         // Select Current Item (checks, never unchecks)
        {Qt::Key_A, Qt::ControlModifier, "rows 3, checked a b c"},      // Select All Items
        {Qt::Key_X, Qt::ControlModifier, "rows 3, checked"},            // Clear All Selected
        {Qt::Key_I, Qt::ControlModifier, "rows 3, checked b c"},        // Invert Select
        {Qt::Key_F5, Qt::NoModifier, "rows 3, checked a | opened DIR/a/"}, // Start Convert: a's images, then their folder
        {Qt::Key_F1, Qt::NoModifier, "rows 3, checked a | opened file:///usr/share/doc/vellumin/help.html"}, // Online Help
    };
    for (bool fromOptions : {false, true}) {
        for (const auto& c : cases) {
            RecordingServices services;
            ThreeDocuments documents;
            ShownFrame f;
            services.files = documents.paths;
            f.frame.OnCommand(ID_OPEN_FILE);
            f.frame.OnCommand(ID_CLEAR_ALL_SELECTED);
            QTest::mouseClick(f.frame.Form().Grid().ClientWidget(), Qt::LeftButton, {}, RowPoint(1)); // a checked
            f.frame.OnCommand(ID_SELECT_CURRENT);
            QTest::mouseClick(f.frame.Form().Grid().ClientWidget(), Qt::LeftButton, {}, RowPoint(2)); // then on b
            services.files = {documents.dir / "d.pdf"};
            std::filesystem::copy_file(documents.paths[0], documents.dir / "d.pdf");

            if (fromOptions)
                f.frame.Options().Tree().GetListWindow()->SetFocus();
            else
                f.frame.Form().Grid().SetFocus();
            QTest::keyClick(QApplication::focusWidget(), c.key, c.modifiers);
            QCoreApplication::processEvents();

            std::string state = "rows " + std::to_string(f.frame.Form().Jobs().Paths().size()) + ", checked";
            for (const JobEntry& entry : f.frame.Form().Jobs().CheckedEntries())
                state += " " + std::filesystem::path(entry.path).stem().string();
            if (!services.folderDialogs.empty())
                state += " | folder dialog";
            for (std::string opened : services.opened) {
                if (opened.rfind(documents.dir.path(), 0) == 0)
                    opened.replace(0, documents.dir.path().size(), "DIR");
                state += " | opened " + opened;
            }
            EXPECT_EQ(state, c.after) << QKeySequence(c.key | c.modifiers).toString().toStdString()
                                      << (fromOptions ? " from the options" : " from the list");
        }
    }
}

TEST(MainFrame, TitleMinimumSizeAndTheInvitation) {
    RecordingServices services;
    ShownFrame f;
    EXPECT_EQ(f.frame.windowTitle().toStdString(), "Vellumin 1.5");
    EXPECT_EQ(f.frame.minimumSize(), QSize(880, 565));
    EXPECT_FALSE(f.frame.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
    ASSERT_TRUE(ChooseMenuCommand(f.frame.MenuBar(), ID_TELL_FRIEND));
    ASSERT_EQ(services.opened.size(), 1u);
    const std::string& mail = services.opened[0];
    EXPECT_EQ(mail.rfind("mailto:?subject=Invitation from Vellumin&Body=", 0), 0u) << mail;
    EXPECT_NE(mail.find(kHomePage), std::string::npos);
    EXPECT_NE(mail.find(kDownloadPage), std::string::npos);
    EXPECT_NE(mail.find("%0A%0D[please type your text here]"), std::string::npos);
}

// The window as a person first sees it with a few documents: the list on the
// left at least 640 pixels wide, the options on the right, the band colour
// behind the buttons and in the splitter's bar, and the summary of the
// document clicked.
TEST(MainFrame, TheWindowWithThreeDocumentsAndASummary) {
    RecordingServices services;
    ThreeDocuments documents;
    ShownFrame f;
    services.files = documents.paths;
    f.frame.OnCommand(ID_OPEN_FILE);
    QTest::mouseClick(f.frame.Form().Grid().ClientWidget(), Qt::LeftButton, {}, RowPoint(2));
    QCoreApplication::processEvents();
    const QImage shot = f.frame.grab().toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(shot.size(), QSize(1024, 700));

    const QRect list = QRect(f.frame.Form().mapTo(&f.frame, QPoint(0, 0)), f.frame.Form().size());
    const QRect options = QRect(f.frame.Options().mapTo(&f.frame, QPoint(0, 0)), f.frame.Options().size());
    EXPECT_EQ(list.left(), 0);
    EXPECT_GE(list.width(), 640);
    EXPECT_GT(options.left(), list.right());
    EXPECT_EQ(options.right(), 1023);
    const QRgb band = qRgb(227, 246, 253);
    for (int y = options.top() + 10; y < options.bottom() - 10; y += 50)
        EXPECT_EQ(shot.pixel((list.right() + options.left()) / 2, y), band) << "splitter bar at y " << y;
    EXPECT_EQ(shot.pixel(list.left() + 300, list.top() + list.height() / 2 - 20), band);

    const std::string summary = f.frame.Form().Summary().TextEdit()->toPlainText().toStdString();
    EXPECT_NE(summary.find("b.pdf"), std::string::npos) << summary;
    EXPECT_NE(summary.find("Pages:"), std::string::npos) << summary;
}

// A menu item shows the image of the first toolbar in the window with a
// button for its command.
TEST(MainFrame, MenuItemsTakeTheirImagesFromTheWindowsToolbars) {
    ShownFrame f;
    EXPECT_EQ(f.frame.MenuImage(ID_OPEN_FILE), nullptr);
    auto* toolbar = new CFlatToolBar(&f.frame);
    toolbar->Create(WS_CHILD, RECT{}, nullptr, 2);
    QImage red(16, 16, QImage::Format_ARGB32);
    red.fill(Qt::red);
    toolbar->SetImageList({red});
    TBBUTTON button;
    button.idCommand = ID_OPEN_FILE;
    button.iBitmap = 0;
    toolbar->AddButton(button);
    ASSERT_NE(f.frame.MenuImage(ID_OPEN_FILE), nullptr);
    EXPECT_EQ(f.frame.MenuImage(ID_OPEN_FILE)->pixel(0, 0), red.pixel(0, 0));
    EXPECT_EQ(f.frame.MenuImage(ID_APP_EXIT), nullptr);

    bool shown = false;
    MenuScript s(f.frame.MenuBar());
    s.Then([&] { s.ClickButton(0); })
        .Then([&] {
            CFlatMenuWindow* menu = f.frame.MenuBar().OpenMenu();
            const QImage picture = menu->Picture();
            const RECT open = menu->ItemRect(0);
            shown = picture.pixel(open.left + 3, open.top + 3) == qRgb(255, 0, 0) ||
                    picture.pixel(open.left + 2, open.top + 2) == qRgb(255, 0, 0);
        })
        .Then([&] { s.KeyToMenu(Qt::Key_Escape); })
        .Then([&] { s.KeyToWindow(Qt::Key_Escape); });
    ASSERT_TRUE(s.Run());
    EXPECT_TRUE(shown);
}

// The main window's first place: its size and minimum within the screen's
// available area less the frame, the frame centred there.
TEST(ScreenFit, TheFirstSizeAndTheMinimumFitTheScreen) {
    const QMargins frame{4, 32, 4, 4};
    struct Case {
        const char* screen;
        QRect available;
        QSize size, minimum;
        QPoint topLeft;
    } cases[] = {
        {"roomy", {0, 0, 1280, 1024}, {1024, 700}, {880, 565}, {124, 144}},
        {"1600x1000 at 1.5", {0, 0, 1067, 667}, {1024, 631}, {880, 565}, {17, 0}},
        {"smaller than the minimum", {0, 0, 800, 500}, {792, 464}, {792, 464}, {0, 0}},
        {"a panel on top", {0, 40, 1067, 627}, {1024, 591}, {880, 565}, {17, 40}},
    };
    for (const Case& c : cases) {
        const WindowPlacement placement = PlaceOnScreen({1024, 700}, {880, 565}, c.available, frame);
        EXPECT_EQ(placement.size, c.size) << c.screen;
        EXPECT_EQ(placement.minimum, c.minimum) << c.screen;
        EXPECT_EQ(placement.topLeft, c.topLeft) << c.screen;
    }
}

// The main window closing while the About box shows closes the box, whose
// loop ends, so that the program can end too.
TEST(MainFrame, ClosingTheWindowEndsTheAboutBox) {
    ShownFrame f;
    bool aboutShown = false;
    QTimer::singleShot(0, [&] {
        aboutShown = QApplication::activeModalWidget() != nullptr;
        f.frame.close();
    });
    f.frame.OnCommand(ID_APP_ABOUT); // returns once the box has ended
    EXPECT_TRUE(aboutShown);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_FALSE(f.frame.isVisible());
}
