// The option tree's model and layout, without windows.
#include "controls/optiontree/choice_tree_model.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

// Writes down the notifications and answers vetoes as told.
class NotedTree : public CChoiceTreeModel {
public:
    std::vector<std::string> notes;
    LRESULT answer = 0;
    LRESULT SendNotify(int code, CChoiceTreeItem* item) override {
        notes.push_back(std::to_string(code) + " " + (item ? item->GetLabelText() : "null"));
        return answer;
    }
};

CChoiceTreeItem* Add(CChoiceTreeModel& tree, const std::string& label, CChoiceTreeItem* parent = nullptr) {
    auto* item = tree.InsertItem(new CChoiceTreeItem, parent);
    item->SetLabelText(label);
    return item;
}

// Two categories of two and three properties, all expanded, 300 x 200.
struct SampleTree {
    NotedTree tree;
    CChoiceTreeItem *general, *range, *begin, *output, *mode, *quality, *gray;
    SampleTree() {
        general = Add(tree, "General");
        range = Add(tree, "Range", general);
        begin = Add(tree, "Begin", general);
        output = Add(tree, "Output");
        mode = Add(tree, "Mode", output);
        quality = Add(tree, "Quality", output);
        gray = Add(tree, "Gray", output);
        tree.SetControlWidth(300);
        tree.SetListSize(300, 200);
        tree.ExpandAllItems();
        tree.Layout();
    }
};

} // namespace

TEST(ChoiceTreeModel, IdentifiersFollowInsertionAndRestartAfterDeletingAll) {
    SampleTree sample;
    EXPECT_EQ(sample.quality->GetItemID(), 6);
    EXPECT_EQ(sample.tree.FindItem(6), sample.quality);
    EXPECT_EQ(sample.tree.FindItem(99), nullptr);
    EXPECT_EQ(sample.tree.InsertItem(nullptr), nullptr);
    EXPECT_TRUE(sample.general->IsCategory());
    EXPECT_FALSE(sample.range->IsCategory());
    sample.tree.DeleteAllItems();
    EXPECT_EQ(sample.tree.FindItem(1), nullptr);
    EXPECT_EQ(Add(sample.tree, "again")->GetItemID(), 1);
}

TEST(ChoiceTreeModel, DeletingTheFocusedItemClearsTheFocusQuietly) {
    SampleTree sample;
    sample.tree.SetFocusedItem(sample.begin);
    sample.tree.notes.clear();
    sample.tree.DeleteItem(sample.begin);
    EXPECT_EQ(sample.tree.GetFocusedItem(), nullptr);
    EXPECT_EQ(sample.tree.notes, std::vector<std::string>{std::to_string(CTN_DELETEITEM) + " Begin"});
}

TEST(ChoiceTreeModel, ACycleCommitsOnce) {
    SampleTree sample;
    sample.range->Activate();
    sample.tree.notes.clear();
    sample.range->CommitChanges();
    sample.range->CommitChanges();
    EXPECT_EQ(sample.tree.notes, std::vector<std::string>{std::to_string(CTN_ITEMCHANGED) + " Range"});
    sample.range->Activate();
    sample.range->CommitChanges();
    EXPECT_EQ(sample.tree.notes.size(), 2u);
}

TEST(ChoiceTreeModel, TheDividerStaysInsideTheControl) {
    SampleTree sample;
    sample.tree.SetColumn(5);
    EXPECT_EQ(sample.tree.GetColumn(), 16);
    sample.tree.SetColumn(1000);
    EXPECT_EQ(sample.tree.GetColumn(), 300 - 16);
}

TEST(ChoiceTreeModel, CollapsingAParentLeavesItsDescendantsAsTheyWere) {
    // An item that notes what it is told about expansion.
    struct NotedItem : CChoiceTreeItem {
        std::vector<std::string>* notes;
        explicit NotedItem(std::vector<std::string>* n) : notes(n) {}
        void OnExpand(bool expanded) override { notes->push_back(GetLabelText() + (expanded ? " +" : " -")); }
    };
    std::vector<std::string> told;
    NotedTree tree;
    auto add = [&](const std::string& label, CChoiceTreeItem* parent) {
        auto* item = tree.InsertItem(new NotedItem(&told), parent);
        item->SetLabelText(label);
        return item;
    };
    CChoiceTreeItem* output = add("Output", nullptr);
    CChoiceTreeItem* format = add("Format", output);
    CChoiceTreeItem* depth = add("Depth", format);
    add("Quality", output);
    tree.SetControlWidth(300);
    tree.SetListSize(300, 200);
    tree.ExpandAllItems();
    format->Expand(false);
    const std::string before = DumpChoiceTree(tree);
    EXPECT_EQ(before, "  [Output]\n    Format = \n    Quality = \n");

    told.clear();
    output->Expand(false); // every descendant is told, none changes its flag
    EXPECT_EQ(told, (std::vector<std::string>{"Output -", "Format -", "Depth -", "Quality -"}));
    EXPECT_FALSE(output->IsExpanded());
    EXPECT_FALSE(format->IsExpanded());
    EXPECT_TRUE(depth->IsExpanded());
    output->Expand(true);
    EXPECT_FALSE(format->IsExpanded()); // still collapsed, as it was
    EXPECT_EQ(DumpChoiceTree(tree), before);

    format->Expand(true);
    output->Expand(false);
    output->Expand(true);
    EXPECT_TRUE(format->IsExpanded()); // still expanded, as it was
    EXPECT_EQ(DumpChoiceTree(tree), "  [Output]\n    Format = \n      Depth = \n    Quality = \n");
}

TEST(ChoiceTreeModel, UnsetColoursAreRealColoursWithoutAWindow) {
    CChoiceTreeItem loose; // not yet in a tree
    SampleTree sample;     // a tree without a window
    for (const CChoiceTreeItem* item : {static_cast<const CChoiceTreeItem*>(&loose),
                                        static_cast<const CChoiceTreeItem*>(sample.mode)}) {
        EXPECT_EQ(item->GetValueBackgroundColor(), RGB(255, 255, 255));
        EXPECT_EQ(item->GetCategoryBackgroundColor(), RGB(192, 192, 192));
        EXPECT_EQ(item->GetLabelTextColor(), RGB(0, 0, 0));
    }
}

TEST(ChoiceTreeModel, HitTestingTheRows) {
    SampleTree sample;
    sample.tree.SetColumn(150);
    sample.tree.Layout();
    // Rows of 21: General 0, Range 21, Begin 42, Output 63, Mode 84...
    struct Case {
        POINT point;
        int hit;
        const char* item;
    } cases[] = {
        {{8, 8}, CT_HIT_EXPAND, "General"},  // the expand box (4, 5) .. (12, 13)
        {{30, 8}, CT_HIT_LABEL, "General"},
        {{200, 8}, CT_HIT_ATTRIBUTE, "General"}, // a category's value area
        {{30, 30}, CT_HIT_LABEL, "Range"},
        {{145, 30}, CT_HIT_COLUMN, "Range"}, // within 5 pixels of the divider
        {{155, 30}, CT_HIT_COLUMN, "Range"},
        {{156, 30}, CT_HIT_ATTRIBUTE, "Range"},
        {{150, 8}, CT_HIT_LABEL, "General"}, // categories have no divider
        {{30, 147}, CT_HIT_NONE, ""},        // below the last row
    };
    for (const Case& c : cases) {
        CChoiceTreeItem* item = nullptr;
        EXPECT_EQ(sample.tree.HitTest(c.point, &item), c.hit) << c.point.x << "," << c.point.y;
        EXPECT_EQ(item ? item->GetLabelText() : "", c.item) << c.point.x << "," << c.point.y;
    }
    EXPECT_EQ(sample.range->GetAttributeRect(), (RECT{155, 21, 300, 41}));
}

TEST(ChoiceTreeModel, ScrollingStaysWithinTheContent) {
    SampleTree sample;
    sample.tree.SetListSize(300, 60); // 7 rows of 21 = 147 in 60
    sample.tree.RecomputeScrollRange();
    sample.tree.ScrollTo(1000);
    EXPECT_EQ(sample.tree.GetScrollOffset(), 147 - 61);
    sample.tree.ScrollTo(-50);
    EXPECT_EQ(sample.tree.GetScrollOffset(), 0);
    sample.tree.EnsureVisible(sample.gray); // row top 126: one row above bottom alignment
    EXPECT_EQ(sample.tree.GetScrollOffset(), std::min(126 + 2 * 21 - 60, 147 - 61));
    sample.tree.EnsureVisible(sample.general);
    EXPECT_EQ(sample.tree.GetScrollOffset(), 0);

    // Content shorter than the window: the offset stays 0, whatever is asked.
    sample.tree.SetListSize(300, 400);
    sample.tree.RecomputeScrollRange();
    sample.tree.EnsureVisible(sample.gray);
    EXPECT_EQ(sample.tree.GetScrollOffset(), 0);
}

TEST(ChoiceTreeModel, EnsureVisibleExpandsTheAncestors) {
    SampleTree sample;
    sample.output->Expand(false);
    sample.tree.Layout();
    EXPECT_FALSE(sample.tree.IsVisible(sample.quality));
    sample.tree.EnsureVisible(sample.quality);
    EXPECT_TRUE(sample.output->IsExpanded());
    EXPECT_TRUE(sample.tree.IsVisible(sample.quality));
    // A walk that skips a subtree reports false.
    int visited = 0;
    EXPECT_FALSE(sample.tree.EnumItems(nullptr, [&](CChoiceTreeItem* item) {
        ++visited;
        return item != sample.general;
    }));
    EXPECT_EQ(visited, 5); // General, then Output and its three; General's two children skipped
}
