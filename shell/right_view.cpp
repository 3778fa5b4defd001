#include "shell/right_view.h"
#include "shell/program_resources.h"

#include <QApplication>
#include <cstdlib>

namespace {

constexpr UINT kTreeId = 101;
constexpr COLORREF kBand = RGB(227, 246, 253);
// The largest minimum width or height a spinner takes, in pixels.
constexpr int kLargestMinimum = 100000;

// A spinner's text as a number: its leading digits, 0 when there are none.
int SpinnerValue(CChoiceTreeItem* item) {
    int value = 0;
    if (auto* spinner = dynamic_cast<CChoiceTreeItemSpinner*>(item))
        spinner->GetEditInt(&value);
    return value;
}

// A drop-down list's chosen line; -1 for none, 0 without a window.
int ComboValue(CChoiceTreeItem* item) {
    auto* combo = dynamic_cast<CChoiceTreeItemComboBox*>(item);
    return combo && combo->GetWindow() ? combo->GetWindow()->GetCurSel() : 0;
}

} // namespace

CRightView::CRightView(ConvertSettings& settings) : settings_(settings) {
    focusWatch_ = QObject::connect(qApp, &QApplication::focusChanged, this, [this](QWidget* old, QWidget* now) {
        // A drop-down's own list is part of its editor; no focus at all is another window's turn.
        if (old && now && tree_.isAncestorOf(old) && !isAncestorOf(now) && now->window()->windowType() != Qt::Popup)
            CommitEditing();
        // The tree gets a focused row as it takes the focus without one, so its keys work at once.
        if (now == tree_.GetListWindow() && !tree_.GetFocusedItem())
            tree_.SetFocusedItem(tree_.GetRootItem()->GetChild());
    });
}

CRightView::~CRightView() {
    QObject::disconnect(focusWatch_);
    DestroyWindow();
}

void CRightView::CommitEditing() {
    for (int id = 1; id <= kSkipRepeated && tree_.FindItem(id); ++id)
        if (CChoiceTreeItem* item = tree_.FindItem(id); item->IsEditing())
            item->CommitChanges();
}

void CRightView::BuildOptionTree() {
    if (!treeCreated_) {
        if (!tree_.Create(WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, GetClientRect(), this,
                          CT_SHOWINFOPANE | CT_SHADEMARGIN | CT_SHADECATEGORIES, kTreeId))
            return;
        treeCreated_ = true;
    }
    tree_.DeleteAllItems(); // a rebuild starts from nothing
    tree_.SetNotify(true, this);

    // Each item's label is the string table's entry of its key, its
    // description the entry of key + ".info".
    auto describe = [](CChoiceTreeItem* item, const std::string& key) {
        item->SetLabelText(ResourceString(key));
        item->SetInfoText(ResourceString(key + ".info"));
    };
    auto category = [&](const char* key) {
        auto* item = new CChoiceTreeItem;
        tree_.InsertItem(item);
        describe(item, key);
        item->SetCategoryBackgroundColor(kBand);
        item->SetLabelTextColor(RGB(0, 0, 0));
        return item;
    };
    auto combo = [&](CChoiceTreeItem* parent, const char* key, const std::vector<std::string>& choices,
                     int selected) {
        auto* item = new CChoiceTreeItemComboBox;
        tree_.InsertItem(item, parent);
        describe(item, key);
        if (item->CreateComboItem(0)) {
            for (const std::string& choice : choices)
                item->GetWindow()->AddString(choice);
            item->GetWindow()->SetCurSel(selected);
        }
    };
    auto spinner = [&](CChoiceTreeItem* parent, const char* key, int value, int upper, int lower = 1) {
        auto* item = new CChoiceTreeItemSpinner;
        tree_.InsertItem(item, parent);
        describe(item, key);
        item->CreateSpinnerItem(CT_SPIN_EDITABLE, value, lower, upper);
    };

    CChoiceTreeItem* general = category("options.general");
    combo(general, "options.page_range",
          {ResourceString("options.page_range.all"), ResourceString("options.page_range.selected")},
          settings_.pageRange);
    spinner(general, "options.begin_page", settings_.startPage, 1000);
    spinner(general, "options.end_page", settings_.endPage, 1000);
    combo(general, "options.open_results", {ResourceString("options.yes"), ResourceString("options.no")},
          settings_.openResult);
    CChoiceTreeItem* output = category("options.output");
    auto* folder = new CChoiceTreeItemFile;
    tree_.InsertItem(folder, output);
    describe(folder, "options.output_directory");
    if (folder->CreateFileItem(settings_.outputDirectory, "", "", CT_FILE_FOLDER | CT_FILE_SHOWFULLPATH, 0x49))
        folder->SetDialogTitle(ResourceString("options.output_directory.dialog"));
    std::vector<std::string> formats;
    for (int format = 0; format < OUTPUT_FORMAT_COUNT; ++format)
        formats.push_back(OutputFormatLabel(format));
    combo(output, "options.output_mode", formats, settings_.imagesFormat);
    spinner(output, "options.jpeg_quality", settings_.jpegQuality, 100);
    combo(output, "options.jpeg_gray", {ResourceString("options.true"), ResourceString("options.false")},
          settings_.jpegGrayScale);
    const bool knownMasks = settings_.masks >= 0 && settings_.masks < MASKS_COUNT; // else a hand-edited file
    combo(output, "options.transparency",
          {ResourceString("options.transparency.alpha"), ResourceString("options.transparency.separate"),
           ResourceString("options.transparency.none")},
          knownMasks ? settings_.masks : MASKS_ALPHA);
    combo(output, "options.orientation",
          {ResourceString("options.orientation.stored"), ResourceString("options.orientation.shown")},
          settings_.orientation == ORIENT_SHOWN ? ORIENT_SHOWN : ORIENT_STORED);
    combo(output, "options.keep_native", {ResourceString("options.yes"), ResourceString("options.no")},
          settings_.keepStored != 0 ? 0 : 1);
    // Which images get a file: 0 pixels is no minimum.
    CChoiceTreeItem* selection = category("options.selection");
    spinner(selection, "options.minimum_width", settings_.minimumWidth, kLargestMinimum, 0);
    spinner(selection, "options.minimum_height", settings_.minimumHeight, kLargestMinimum, 0);
    const bool knownRepeats = settings_.skipRepeated >= 0 && settings_.skipRepeated < REPEATS_COUNT; // else a hand-edited file
    combo(selection, "options.skip_repeated",
          {ResourceString("options.skip_repeated.no"), ResourceString("options.skip_repeated.object"),
           ResourceString("options.skip_repeated.pixels")},
          knownRepeats ? settings_.skipRepeated : REPEATS_KEPT);

    ApplyReadOnlyRules();
    tree_.UpdatedItems(nullptr);
    tree_.ExpandAllItems();
    tree_.FitColumnToLabels();
}

void CRightView::ApplyReadOnlyRules() {
    const bool allPages = settings_.pageRange == 0;
    const bool jpeg = settings_.imagesFormat == OUTPUT_JPG;
    for (int id : {kBeginPage, kEndPage})
        if (CChoiceTreeItem* item = tree_.FindItem(id))
            item->ReadOnly(allPages);
    for (int id : {kJpegQuality, kJpegGrayScale})
        if (CChoiceTreeItem* item = tree_.FindItem(id))
            item->ReadOnly(!jpeg);
    // Alpha cannot be kept in a format without an alpha channel.
    if (CChoiceTreeItem* item = tree_.FindItem(kTransparency))
        item->ReadOnly(!FormatCarriesAlpha(settings_.imagesFormat) && settings_.masks == MASKS_ALPHA);
}

void CRightView::CopyItem(int id, bool sideEffects) {
    CChoiceTreeItem* item = tree_.FindItem(id);
    switch (id) {
    case kPageRange: settings_.pageRange = ComboValue(item); break;
    case kBeginPage: settings_.startPage = SpinnerValue(item); break;
    case kEndPage: settings_.endPage = SpinnerValue(item); break;
    case kOpenResults: settings_.openResult = ComboValue(item); break;
    case kOutputMode: settings_.imagesFormat = ComboValue(item); break;
    case kJpegQuality: settings_.jpegQuality = SpinnerValue(item); break;
    case kJpegGrayScale: settings_.jpegGrayScale = ComboValue(item); break;
    case kTransparency: settings_.masks = ComboValue(item); break;
    case kOrientation: settings_.orientation = ComboValue(item); break;
    case kKeepNative: settings_.keepStored = ComboValue(item) == 0 ? 1 : 0; break;
    case kMinimumWidth: settings_.minimumWidth = SpinnerValue(item); break;
    case kMinimumHeight: settings_.minimumHeight = SpinnerValue(item); break;
    case kSkipRepeated: settings_.skipRepeated = ComboValue(item); break;
    case kOutputDirectory:
        if (!sideEffects)
            if (auto* folder = dynamic_cast<CChoiceTreeItemFile*>(item))
                settings_.outputDirectory = folder->GetFolderPath();
        return;
    default: return;
    }
    if (sideEffects && (id == kPageRange || id == kOutputMode || id == kTransparency))
        ApplyReadOnlyRules();
}

void CRightView::ReadOptionsFromTree() {
    CallOnUiThread([this] {
        for (int id = 1; id <= kSkipRepeated && tree_.FindItem(id); ++id)
            CopyItem(id, false);
    });
}

LRESULT CRightView::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SIZE:
        if (treeCreated_)
            tree_.MoveWindow(GetClientRect());
        return 0;
    case WM_NOTIFY: {
        const auto* notify = reinterpret_cast<const ChoiceTreeNotify*>(lParam);
        if (notify->hdr.idFrom == kTreeId && notify->hdr.code == CTN_ITEMCHANGED && notify->item) {
            CopyItem(notify->item->GetItemID(), true);
            tree_.UpdatedItems(nullptr);
        }
        return 0;
    }
    }
    return CWnd::WindowProc(message, wParam, lParam);
}
