#pragma once
// Whether the texts of the desktop program fit where they are drawn: every
// label, bar text, grid header and row, option row, option description and
// About box line is measured with the font its control draws with
// (QFontMetrics) against the rectangle it is drawn in, and every column of
// the list lies inside its visible width. Each text that does not fit is one line of the
// result, saying what needs how much room and what it has.
#include <string>
#include <vector>

class CMainFrame;
class CAboutBox;

std::vector<std::string> MainWindowTextsThatDoNotFit(CMainFrame& frame);
std::vector<std::string> AboutBoxTextsThatDoNotFit(CAboutBox& box);
