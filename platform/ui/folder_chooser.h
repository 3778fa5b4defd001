#pragma once
// The desktop's folder chooser: a file dialog set up to pick a folder while
// it shows the files a filter lets through, with a "Current Folder:" edit. A
// typed folder that does not exist may be created on the spot.
#include <optional>
#include <string>

class QWidget;

// Runs the chooser; the confirmed folder ends with '/', empty on Cancel.
std::string ChooseFolder(QWidget* owner, const std::string& title, const std::string& initialFolder,
                         const std::string& filter);

// The confirmation of a typed path (or, when empty, of the folder the dialog
// shows): a path with "//" is refused with "Invalid directory"; a missing
// folder may be created after a question. The folder, ending with '/', or
// nothing when the dialog stays open.
std::optional<std::string> ConfirmFolder(std::string typed, const std::string& shown, QWidget* owner);
