#pragma once
// The application's icon, drawn in code at any size: a page on a blue tile
// with a picture (sun and hills) lifted off it. resources/vellumin.svg draws
// the same shapes for the desktop's scalable icon.
#include <QImage>

QImage AppIcon(int size);
