#include "shell/main_frame.h"

#include "controls/bars/flat_menu_window.h"
#include "engine/settings/settings_store.h"
#include "platform/ui/ui_services.h"
#include "shell/about_box.h"
#include "shell/commands.h"
#include "shell/editor_keys.h"
#include "shell/program_resources.h"
#include "platform/product_info.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QKeySequence>
#include <QTextEdit>
#include <QUrl>
#include <algorithm>


CMainFrame::CMainFrame(ConvertSettings& settings, const std::string& helpPage)
    : settings_(settings), helpPage_(helpPage), options_(new CRightView(settings)),
      form_(new CFileListForm(settings, options_)) {
    setWindowTitle(kProductName);
    // Resizable, but neither minimized nor maximized.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setMinimumSize(880, 565);
    // The form at first wide enough for every column of its list (640
    // pixels at least), the options beside it.
    const int formWidth = std::max(640, form_->WidthForColumns());
    resize(formWidth + 384, 700);
    splitter_.addWidget(form_);
    splitter_.addWidget(options_);
    splitter_.setChildrenCollapsible(false);
    form_->setMinimumWidth(640);
    splitter_.setSizes({formWidth, 384});
    splitter_.setStretchFactor(1, 1);
    splitter_.setStyleSheet("QSplitter, QSplitter::handle { background: rgb(227, 246, 253); }");
    setCentralWidget(&splitter_);
    options_->BuildOptionTree();
    AddCommands();
    CreateCoolBar();
    for (const Accelerator& accelerator : LoadAccelerators()) {
        const QKeyCombination combination = QKeySequence(QString::fromStdString(accelerator.keys))[0];
        accelerators_.push_back({combination.key(), combination.keyboardModifiers(), accelerator.command});
    }
    form_->beforeRun = [this] { options_->CommitEditing(); };
    form_->Jobs().onAdded = [this](const std::string& path) {
        recent_.Add(path);
        ShowRecentDocuments();
    };
    // After the summary, Tab reaches the options, then comes back to the list.
    options_->Tree().GetListWindow()->setFocusPolicy(Qt::StrongFocus);
    QWidget::setTabOrder(form_->Summary().TextEdit(), options_->Tree().GetListWindow());
    QWidget::setTabOrder(options_->Tree().GetListWindow(), &form_->Grid());
    qApp->installEventFilter(this);
    // Every pop-up menu of the window has the look of its menus.
    SetPopupMenuPresenter(TrackFlatPopupMenu);
}

CMainFrame::~CMainFrame() {
    SetPopupMenuPresenter(nullptr);
    qApp->removeEventFilter(this);
    options_->CommitEditing(); // a choice still in its editor is kept
    form_->Run().StopAndWait();
    splitter_.setParent(nullptr); // the panes go with the splitter, before the frame
    delete form_;
    delete options_;
}

void CMainFrame::CreateCoolBar() {
    auto menu = std::make_shared<Menu>();
    for (const MenuPopup& popup : LoadMenu(165)) {
        MenuItem top;
        top.text = popup.text;
        top.submenu = std::make_shared<Menu>();
        for (const PopupMenuEntry& entry : popup.items) {
            MenuItem item;
            item.text = entry.text;
            item.command = entry.command;
            item.type = entry.command == 0 ? UINT{MFT_SEPARATOR} : 0u;
            if (entry.command == ID_RECENT_DOCUMENTS)
                item.submenu = recentMenu_;
            top.submenu->items.push_back(item);
        }
        menu->items.push_back(top);
    }
    coolBar_ = new CCustomCoolBar(menu, this);
    CMenuBar& bar = coolBar_->MenuBar();
    // The menus run the frame's commands, enabled by the same rule as its keys.
    bar.SetCommandHandler([this](unsigned id) { OnCommand(id); });
    bar.SetCommandState([this](unsigned id) { return IsCommandEnabled(id); });
    bar.SetImageSource([this](unsigned id) { return MenuImage(id); });
    coolBar_->Create(this, uint32_t{WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN} | RBS_VARHEIGHT | RBS_TOOLTIPS,
                     CBRS_TOP, AFX_IDW_TOOLBAR);
    setMenuWidget(coolBar_);
}

const QImage* CMainFrame::MenuImage(unsigned id) const {
    // The window classes have no meta-object of their own, so findChildren
    // cannot tell them apart: every widget is asked what it is.
    for (const QWidget* widget : findChildren<QWidget*>())
        if (const auto* toolbar = dynamic_cast<const CSizedToolBar*>(widget))
            if (const QImage* image = toolbar->CommandImage(id))
                return image;
    return nullptr;
}

void CMainFrame::AddCommands() {
    // The form's commands, under its rules.
    for (unsigned id : {ID_OPEN_FILE, ID_IMPORT_DIRECTORY, ID_OPEN_FILE_DIRECTORY, ID_OPEN_WITH_APP, ID_REMOVE_ALL,
                        ID_REMOVE_SELECTED, ID_SELECT_CURRENT, ID_CLEAR_ALL_SELECTED, ID_INVERT_SELECT,
                        ID_START_CONVERT, ID_STOP_CONVERT, ID_SELECT_ALL_ITEMS})
        commands_.Add(id, [this, id] { form_->OnCommand(id); }, [this, id] { return form_->IsCommandEnabled(id); });
    const auto always = [] { return true; };
    commands_.Add(ID_RESET_OPTIONS, [this] { ResetOptions(); }, [this] { return !form_->Run().IsConverting(); });
    commands_.Add(ID_APP_EXIT, [this] { close(); }, always);
    // A recent document comes into the list as a dropped file does.
    const auto idle = [this] { return !form_->Run().IsConverting(); };
    commands_.Add(ID_RECENT_DOCUMENTS, [] {}, [this, idle] { return idle() && !recent_.Paths().empty(); });
    for (size_t i = 0; i < RecentDocuments::kCount; ++i)
        commands_.Add(static_cast<unsigned>(ID_RECENT_FIRST + i),
                      [this, i] { form_->AddDroppedFiles({recent_.Paths().at(i)}); },
                      [this, i, idle] { return idle() && i < recent_.Paths().size(); });
    commands_.Add(ID_HELP_ONLINE, [this] {
        Services().OpenWithDesktop(QUrl::fromLocalFile(QString::fromStdString(helpPage_)).toString().toStdString());
    }, always);
    commands_.Add(ID_TELL_FRIEND, [] { Services().OpenWithDesktop(InvitationMail()); }, always);
    commands_.Add(ID_CHECK_VERSION, [] { Services().OpenWithDesktop(kHomePage); }, always);
    commands_.Add(ID_HOME_PAGE, [] { Services().OpenWithDesktop(kHomePage); }, always);
    commands_.Add(ID_APP_ABOUT, [this] {
        CAboutBox about;
        about.DoModal(this);
    }, always);
}

void CMainFrame::ResetOptions() {
    if (Services().MessageBox(this, ResourceString("options.reset_question"), kProductName, MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    ResetSettings(settings_);
    options_->BuildOptionTree();
}

bool CMainFrame::IsCommandEnabled(unsigned id) const { return commands_.IsEnabled(id); }

void CMainFrame::ShowRecentDocuments() {
    recentMenu_->items.clear();
    for (size_t i = 0; i < recent_.Paths().size(); ++i) {
        MenuItem item;
        item.text = "&" + std::to_string(i + 1) + " " + recent_.Paths()[i];
        item.command = static_cast<unsigned>(ID_RECENT_FIRST + i);
        recentMenu_->items.push_back(item);
    }
}

void CMainFrame::OnCommand(unsigned id) { commands_.Run(id); }

bool CMainFrame::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress || watched != QApplication::focusWidget())
        return false;
    auto* focus = static_cast<QWidget*>(watched);
    if (!isAncestorOf(focus) && focus != this)
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    // Tab leaves the option tree (not its editors) for the next stop.
    if (focus == options_->Tree().GetListWindow() && TabLeaves(focus, *key))
        return true;
    const Qt::KeyboardModifiers modifiers = key->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    for (const Key& accelerator : accelerators_) {
        if (accelerator.key != key->key() || accelerator.modifiers != modifiers)
            continue;
        // Inside the form, the form runs its own keys; an editor keeps its keys.
        if ((form_->isAncestorOf(focus) && CFileListForm::CommandForKey(*key)) || FocusTakesKey(focus, *key))
            return false;
        // The key is spent on its command, even a greyed one.
        OnCommand(accelerator.command);
        return true;
    }
    return false;
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    // A modal window still open (About, a message, a dialog) is closed, so
    // that its loop ends and the program can.
    while (QWidget* modal = QApplication::activeModalWidget()) {
        modal->close();
        if (modal->isVisible())
            break;
    }
    // A run under way ends first, its current document at once, before the windows go.
    form_->Run().StopAndWait();
    options_->CommitEditing();
    event->accept();
}
