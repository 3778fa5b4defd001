#include "tests/support/text_fit.h"

#include "shell/about_box.h"
#include "shell/main_frame.h"
#include "shell/program_resources.h"

#include <QFontMetrics>
#include <QFontMetricsF>
#include <cmath>
#include <sstream>

namespace {

class FitCheck {
public:
    // A text drawn on one line in a room of the given size: it fits when the
    // room holds the font's line and, unless it may be cut short with an
    // ellipsis (and a tooltip), the text's whole width.
    void Line(const std::string& what, const std::string& text, const QFont& font, int width, int height,
              bool whole = true) {
        // The width to the fraction of a pixel, as eliding counts it.
        const int needWidth = static_cast<int>(
            std::ceil(QFontMetricsF(font).horizontalAdvance(QString::fromLocal8Bit(text.c_str()))));
        const int needHeight = QFontMetrics(font).height();
        if (needHeight <= height && (!whole || needWidth <= width))
            return;
        std::ostringstream line;
        line << what << " \"" << text << "\" needs " << (whole ? needWidth : 0) << "x" << needHeight << ", has "
             << width << "x" << height;
        failures_.push_back(line.str());
    }
    void Fail(const std::string& failure) { failures_.push_back(failure); }
    std::vector<std::string> Failures() const { return failures_; }

private:
    std::vector<std::string> failures_;
};

void CheckLabel(FitCheck& check, const std::string& what, CLabelStatic& label) {
    const RECT room = label.GetClientRect();
    check.Line(what, label.GetWindowText(), label.LabelFont(), room.Width(), room.Height());
}

// The texts a bar shows in a run, from its start to each of its ends.
std::vector<std::string> BarTexts() {
    return {ResourceString("bar.waiting"),  "File 120 of 120, 100%",          "Page 1200 of 1200, 100%",
            "Images Converting",            ResourceString("run.finished"),   ResourceString("run.stopped"),
            ResourceString("run.stopping"), ResourceString("run.range_error")};
}

void CheckGrid(FitCheck& check, CDataGrid& grid) {
    for (int row = 0; row < grid.GetRowCount(); ++row)
        for (int col = 0; col < grid.GetColumnCount(); ++col) {
            const CGridCellBase* cell = grid.GetCell(row, col);
            if (!cell)
                continue;
            const SIZE room = grid.TextRoom(row, col);
            // Headers whole; entries' texts may be cut short (their tooltip
            // shows them); an empty cell still holds a line.
            const bool empty = cell->GetText().empty();
            check.Line("grid cell " + std::to_string(row) + "," + std::to_string(col), empty ? "Ag" : cell->GetText(),
                       CFont(*cell->GetFont()).Font(), room.cx, room.cy, row == 0 && !empty);
        }
}

// Every column's header lies inside the list's visible width, so that none
// is cut by the list's edge at the window's first size.
void CheckGridColumns(FitCheck& check, CDataGrid& grid) {
    const int visible = grid.GetClientRect().Width();
    int right = 0;
    for (int col = 0; col < grid.GetColumnCount(); ++col) {
        right += grid.GetColumnWidth(col);
        if (right > visible)
            check.Fail("grid header \"" + grid.GetItemText(0, col) + "\" ends at " + std::to_string(right) +
                       ", past the list's visible width " + std::to_string(visible));
    }
}

// Every description shows whole in the description pane: wrapped at its
// words inside the pane's 4-pixel margin, below the bold label.
void CheckDescriptions(FitCheck& check, CChoiceTree& tree) {
    const RECT pane = tree.GetInfoWindow()->GetClientRect();
    const int width = pane.Width() - 8, height = pane.Height() - 8 - QFontMetrics(CChoiceTree::BoldFont()).height();
    tree.EnumItems(nullptr, [&](CChoiceTreeItem* item) {
        const QRect needed = QFontMetrics(CChoiceTree::NormalFont())
                                 .boundingRect(QRect(0, 0, width, 1 << 20), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap,
                                               QString::fromLocal8Bit(item->GetInfoText().c_str()));
        if (needed.height() > height)
            check.Fail("description of \"" + item->GetLabelText() + "\" needs " + std::to_string(width) + "x" +
                       std::to_string(needed.height()) + ", has " + std::to_string(width) + "x" + std::to_string(height));
        return true;
    });
}

void CheckOptions(FitCheck& check, CChoiceTree& tree) {
    const int divider = tree.GetColumn();
    for (CChoiceTreeItem* item : tree.VisibleItems()) {
        const bool category = item->IsCategory();
        const QFont& font = category ? CChoiceTree::BoldFont() : CChoiceTree::NormalFont();
        const int labelLeft = item->GetOrigin().x + CT_MARGIN + 5;
        const int labelRight = category ? tree.GetListWidth() : divider;
        check.Line("option label", item->GetLabelText(), font, labelRight - labelLeft, item->GetHeight());
        if (category)
            continue;
        const RECT& value = item->GetAttributeRect();
        const std::string text = item->GetValueText().empty() ? "Ag" : item->GetValueText();
        check.Line("option value of \"" + item->GetLabelText() + "\"", text, CChoiceTree::NormalFont(),
                   value.Width(), value.Height(), false);
    }
}

} // namespace

std::vector<std::string> MainWindowTextsThatDoNotFit(CMainFrame& frame) {
    FitCheck check;
    CFileListForm& form = frame.Form();
    CheckLabel(check, "label", form.CurrentLabel());
    CheckLabel(check, "label", form.TotalLabel());
    for (CPercentProgressCtrl* bar : {&form.CurrentBar(), &form.TotalBar()}) {
        const RECT room = bar->GetClientRect();
        for (const std::string& text : BarTexts())
            check.Line("bar", text, form.font(), room.Width(), room.Height());
    }
    CheckGrid(check, form.Grid());
    CheckGridColumns(check, form.Grid());
    CheckOptions(check, frame.Options().Tree());
    CheckDescriptions(check, frame.Options().Tree());
    return check.Failures();
}

std::vector<std::string> AboutBoxTextsThatDoNotFit(CAboutBox& box) {
    FitCheck check;
    for (CLabelStatic* line : box.Lines())
        CheckLabel(check, "About box line", *line);
    return check.Failures();
}
