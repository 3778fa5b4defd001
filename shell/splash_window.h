#pragma once
// The splash window: a borderless picture centred on the screen for 750 ms,
// or until the first key or mouse press, which it takes.
#include <QWidget>

class CSplashWindow : public QWidget {
public:
    CSplashWindow();
    // The picture (bitmap 136), drawn in code.
    static QImage Picture();

protected:
    void paintEvent(QPaintEvent*) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Finish();
};
