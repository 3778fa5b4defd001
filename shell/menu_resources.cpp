#include "shell/menu_resources.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

// The resource file lives in a static library: it is registered by hand.
static void RegisterResources() { Q_INIT_RESOURCE(resources); }

namespace {

QJsonObject Resources() {
    static const bool registered = (RegisterResources(), true);
    (void)registered;
    QFile file(":/vellumin/menus.json");
    file.open(QIODevice::ReadOnly);
    return QJsonDocument::fromJson(file.readAll()).object();
}

} // namespace

std::vector<MenuPopup> LoadMenu(int id) {
    std::vector<MenuPopup> menu;
    for (const QJsonValue& popup : Resources()["menus"].toObject()[QString::number(id)].toArray()) {
        MenuPopup entry{popup["text"].toString().toStdString(), {}};
        for (const QJsonValue& item : popup["items"].toArray())
            entry.items.push_back(
                PopupMenuEntry{static_cast<unsigned>(item["id"].toInt()), item["text"].toString().toStdString(), true});
        menu.push_back(entry);
    }
    return menu;
}

std::vector<Accelerator> LoadAccelerators() {
    std::vector<Accelerator> accelerators;
    for (const QJsonValue& item : Resources()["accelerators"].toArray())
        accelerators.push_back({item["keys"].toString().toStdString(), static_cast<unsigned>(item["id"].toInt())});
    return accelerators;
}
