#include "shell/program_resources.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <map>

// The resource file lives in a static library: it is registered by hand.
static void RegisterResources() { Q_INIT_RESOURCE(resources); }

namespace {

QJsonObject ReadResource(const char* name) {
    static const bool registered = (RegisterResources(), true);
    (void)registered;
    QFile file(QString(":/vellumin/") + name);
    file.open(QIODevice::ReadOnly);
    return QJsonDocument::fromJson(file.readAll()).object();
}

QJsonObject Resources() { return ReadResource("menus.json"); }

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

std::string ResourceString(const std::string& name) {
    static const std::map<std::string, std::string> table = [] {
        std::map<std::string, std::string> strings;
        const QJsonObject entries = ReadResource("strings.json")["strings"].toObject();
        for (auto entry = entries.begin(); entry != entries.end(); ++entry)
            strings[entry.key().toStdString()] = entry.value().toString().toStdString();
        return strings;
    }();
    auto found = table.find(name);
    return found != table.end() ? found->second : "[" + name + "]";
}
