#pragma once
// The file list form's button icons (32 x 32), drawn in code: open file (155),
// import directory (156), remove selected (157), clear all selected (158),
// stop (161) and start (162).
#include <QImage>

QImage FormIcon(int resourceId);
