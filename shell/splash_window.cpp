#include "shell/splash_window.h"

#include "platform/product_info.h"

#include <QApplication>
#include <QPainter>
#include <QScreen>
#include <QTimer>

CSplashWindow::CSplashWindow() : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint) {
    const QImage picture = Picture();
    resize(picture.size());
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());
    QTimer::singleShot(750, this, [this] { Finish(); });
    qApp->installEventFilter(this);
}

QImage CSplashWindow::Picture() {
    QImage picture(420, 240, QImage::Format_RGB32);
    picture.fill(QColor(227, 246, 253));
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 90, 160));
    p.drawRect(0, 0, 420, 12);
    p.setBrush(QColor(250, 250, 245));
    p.setPen(QPen(QColor(30, 60, 110), 2));
    p.drawRect(40, 60, 90, 120); // a page
    p.setBrush(QColor(240, 190, 70));
    p.drawRect(56, 84, 58, 42); // and its picture
    p.setPen(QColor(0, 90, 160));
    QFont title = p.font();
    title.setPixelSize(34);
    title.setBold(true);
    p.setFont(title);
    p.drawText(QRect(150, 70, 260, 50), Qt::AlignLeft | Qt::AlignVCenter, "Vellumin");
    QFont line = p.font();
    line.setPixelSize(13);
    line.setBold(false);
    p.setFont(line);
    p.drawText(QRect(150, 120, 260, 60), Qt::AlignLeft | Qt::TextWordWrap, kProductLine);
    return picture;
}

void CSplashWindow::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawImage(0, 0, Picture());
}

bool CSplashWindow::eventFilter(QObject*, QEvent* event) {
    const auto type = event->type();
    if (type == QEvent::KeyPress || type == QEvent::MouseButtonPress) {
        Finish();
        return true; // the press that ends the splash goes no further
    }
    return false;
}

void CSplashWindow::Finish() {
    qApp->removeEventFilter(this);
    hide();
    deleteLater();
}
