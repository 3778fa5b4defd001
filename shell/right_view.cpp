#include "shell/right_view.h"

#include <cstdlib>

namespace {

constexpr UINT kTreeId = 101;
constexpr COLORREF kBand = RGB(227, 246, 253);

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

CRightView::~CRightView() { DestroyWindow(); }

void CRightView::BuildOptionTree() {
    if (!treeCreated_) {
        if (!tree_.Create(WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, GetClientRect(), this,
                          CT_SHOWINFOPANE | CT_SHADEMARGIN | CT_SHADECATEGORIES, kTreeId))
            return;
        treeCreated_ = true;
    }
    tree_.DeleteAllItems(); // a rebuild starts from nothing
    tree_.SetNotify(true, this);

    auto category = [&](const char* label, const char* info) {
        auto* item = new CChoiceTreeItem;
        tree_.InsertItem(item);
        item->SetLabelText(label);
        item->SetInfoText(info);
        item->SetCategoryBackgroundColor(kBand);
        item->SetLabelTextColor(RGB(0, 0, 0));
        return item;
    };
    auto combo = [&](CChoiceTreeItem* parent, const char* label, const char* info,
                     std::initializer_list<const char*> choices, int selected) {
        auto* item = new CChoiceTreeItemComboBox;
        tree_.InsertItem(item, parent);
        item->SetLabelText(label);
        item->SetInfoText(info);
        if (item->CreateComboItem(0)) {
            for (const char* choice : choices)
                item->GetWindow()->AddString(choice);
            item->GetWindow()->SetCurSel(selected);
        }
    };
    auto spinner = [&](CChoiceTreeItem* parent, const char* label, const char* info, int value, int upper) {
        auto* item = new CChoiceTreeItemSpinner;
        tree_.InsertItem(item, parent);
        item->SetLabelText(label);
        item->SetInfoText(info);
        item->CreateSpinnerItem(CT_SPIN_EDITABLE, value, 1, upper);
    };

    CChoiceTreeItem* general = category("Output General Options", "General output options.");
    combo(general, "Page Range", "Output page range.", {"All Pages", "Selected Pages"}, settings_.pageRange);
    spinner(general, "Begin Page", "Begin page.", settings_.startPage, 1000);
    spinner(general, "End Page", "End page.", settings_.endPage, 1000);
    combo(general, "Open Results", "Open the result image files directory when finished converting.", {"Yes", "No"},
          settings_.openResult);
    CChoiceTreeItem* output = category("Output Options", "Output options.");
    auto* folder = new CChoiceTreeItemFile;
    tree_.InsertItem(folder, output);
    folder->SetLabelText("Output Directory");
    folder->SetInfoText("Output file directory. Save all the output files to this directory. Null for every pdf file "
                        "directory.");
    if (folder->CreateFileItem(settings_.outputDirectory, "", "", CT_FILE_FOLDER | CT_FILE_SHOWFULLPATH, 0x49))
        folder->SetDialogTitle(
            "Please select a folder to save result files. All the output files will be saved to this folder.");
    combo(output, "Output Mode", "Output mode. Image format(.ppm/.pbm, .jpg, .bmp, .gif and so on).",
          {"ppm/pbm", "jpg", "bmp", "gif", "png", "tif", "tga", "pcx"}, settings_.imagesFormat);
    spinner(output, "Jpeg Quality (%)", "Jpeg quality in percent.", settings_.jpegQuality, 100);
    combo(output, "Jpeg Gray Scale", "Generate gray scale jpg images.", {"True", "False"}, settings_.jpegGrayScale);

    ApplyReadOnlyRules();
    tree_.UpdatedItems(nullptr);
    tree_.ExpandAllItems();
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
    case kOutputDirectory:
        if (!sideEffects)
            if (auto* folder = dynamic_cast<CChoiceTreeItemFile*>(item))
                settings_.outputDirectory = folder->GetFolderPath();
        return;
    default: return;
    }
    if (sideEffects && (id == kPageRange || id == kOutputMode))
        ApplyReadOnlyRules();
}

void CRightView::ReadOptionsFromTree() {
    CallOnUiThread([this] {
        for (int id = 1; id <= 16 && tree_.FindItem(id); ++id)
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
