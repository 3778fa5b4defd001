#include "shell/main_frame.h"

#include "controls/bars/flat_menu_window.h"
#include "engine/settings_store.h"
#include "platform/ui/ui_services.h"
#include "shell/about_box.h"
#include "shell/commands.h"
#include "shell/program_resources.h"
#include "platform/product_info.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLineEdit>
#include <QTextEdit>
#include <QUrl>

namespace {

bool IsFormCommand(unsigned id) {
    switch (id) {
    case ID_OPEN_FILE: case ID_IMPORT_DIRECTORY: case ID_OPEN_FILE_DIRECTORY: case ID_OPEN_WITH_APP:
    case ID_REMOVE_ALL: case ID_REMOVE_SELECTED: case ID_SELECT_CURRENT: case ID_CLEAR_ALL_SELECTED:
    case ID_INVERT_SELECT: case ID_START_CONVERT: case ID_STOP_CONVERT: case ID_SELECT_ALL_ITEMS:
        return true;
    default:
        return false;
    }
}

// A widget that types text: keys without Ctrl belong to it.
bool TypesText(const QWidget* widget) {
    return qobject_cast<const QLineEdit*>(widget) || qobject_cast<const QTextEdit*>(widget) ||
           qobject_cast<const QComboBox*>(widget) || qobject_cast<const QAbstractSpinBox*>(widget);
}

} // namespace

CMainFrame::CMainFrame(ConvertSettings& settings, const std::string& helpPage)
    : settings_(settings), helpPage_(helpPage), options_(new CRightView(settings)),
      form_(new CFileListForm(settings, options_)) {
    setWindowTitle(kProductName);
    // Resizable, but neither minimized nor maximized.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setMinimumSize(880, 565);
    resize(1024, 700);
    splitter_.addWidget(form_);
    splitter_.addWidget(options_);
    splitter_.setChildrenCollapsible(false);
    form_->setMinimumWidth(640);
    splitter_.setSizes({640, 384});
    splitter_.setStretchFactor(1, 1);
    splitter_.setStyleSheet("QSplitter, QSplitter::handle { background: rgb(227, 246, 253); }");
    setCentralWidget(&splitter_);
    options_->BuildOptionTree();
    CreateCoolBar();
    for (const Accelerator& accelerator : LoadAccelerators()) {
        const QKeyCombination combination = QKeySequence(QString::fromStdString(accelerator.keys))[0];
        accelerators_.push_back({combination.key(), combination.keyboardModifiers(), accelerator.command});
    }
    qApp->installEventFilter(this);
    // Every pop-up menu of the window has the look of its menus.
    SetPopupMenuPresenter(TrackFlatPopupMenu);
}

CMainFrame::~CMainFrame() {
    SetPopupMenuPresenter(nullptr);
    qApp->removeEventFilter(this);
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

bool CMainFrame::IsCommandEnabled(unsigned id) const { return IsFormCommand(id) ? form_->IsCommandEnabled(id) : true; }

void CMainFrame::OnCommand(unsigned id) {
    if (!IsCommandEnabled(id))
        return;
    if (IsFormCommand(id)) {
        form_->OnCommand(id);
        return;
    }
    switch (id) {
    case ID_RESET_OPTIONS:
        ResetSettings(settings_);
        options_->BuildOptionTree();
        break;
    case ID_APP_EXIT:
        close();
        break;
    case ID_HELP_ONLINE:
        Services().OpenWithDesktop(QUrl::fromLocalFile(QString::fromStdString(helpPage_)).toString().toStdString());
        break;
    case ID_TELL_FRIEND:
        Services().OpenWithDesktop(InvitationMail());
        break;
    case ID_CHECK_VERSION:
    case ID_HOME_PAGE:
        Services().OpenWithDesktop(kHomePage);
        break;
    case ID_APP_ABOUT: {
        CAboutBox about;
        about.DoModal(this);
        break;
    }
    default:
        break;
    }
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress || watched != QApplication::focusWidget())
        return false;
    auto* focus = static_cast<QWidget*>(watched);
    if (!isAncestorOf(focus) && focus != this)
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    const Qt::KeyboardModifiers modifiers = key->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    for (const Key& accelerator : accelerators_) {
        if (accelerator.key != key->key() || accelerator.modifiers != modifiers)
            continue;
        // Inside the form, the form takes its own keys (all but Shift+F5);
        // keys without Ctrl belong to a text being typed.
        if (form_->isAncestorOf(focus) && accelerator.command != ID_STOP_CONVERT)
            return false;
        if (!(modifiers & Qt::ControlModifier) && TypesText(focus))
            return false;
        OnCommand(accelerator.command);
        return true;
    }
    return false;
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    // A run under way stops first: its document is finished before the windows go.
    form_->Run().StopAndWait();
    event->accept();
}
