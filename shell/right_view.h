#pragma once
// CRightView: the right pane, an option tree showing the conversion
// settings in three categories. An edit reaches the settings record at once;
// ReadOptionsFromTree copies every value, the output folder included, as a
// run starts.
#include "controls/optiontree/choice_tree_items.h"
#include "engine/settings/convert_settings.h"

class CRightView : public CWnd {
public:
    explicit CRightView(ConvertSettings& settings);
    ~CRightView() override;

    // Item identifiers, in insertion order.
    enum : int {
        kGeneral = 1, kPageRange, kBeginPage, kEndPage, kOpenResults,
        kOutput, kOutputDirectory, kOutputMode, kJpegQuality, kJpegGrayScale, kTransparency, kOrientation,
        kKeepNative,
        kSelection, kMinimumWidth, kMinimumHeight, kSkipRepeated,
    };

    // Builds the tree from the settings (again after a reset).
    void BuildOptionTree();
    // Copies every value into the settings; from a worker thread too (the
    // read runs on the user-interface thread).
    void ReadOptionsFromTree();
    // Commits the value of the option being edited, as leaving its editor
    // does: when the focus leaves the tree, a run starts or the window closes.
    void CommitEditing();
    CChoiceTree& Tree() { return tree_; }

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    // Copies one item's value; with side effects, the read-only rules follow.
    void CopyItem(int id, bool sideEffects);
    void ApplyReadOnlyRules();

    ConvertSettings& settings_;
    CChoiceTree tree_;
    bool treeCreated_ = false;
    QMetaObject::Connection focusWatch_;
};
