#pragma once
// The product's name, version and addresses, kept in one place for the
// desktop program and the command line. The version comes from the build.
#include <string>

constexpr const char* kProductVersion = VELLUMIN_VERSION;
constexpr const char* kProductName = "Vellumin " VELLUMIN_VERSION;
constexpr const char* kProductLine = "Every image of your PDF files, in the format you choose.";
constexpr const char* kHomePage = "https://vellumin.example.org/";
constexpr const char* kDownloadPage = "https://vellumin.example.org/download/";
constexpr const char* kSupportAddress = "support@vellumin.example.org";

// The invitation the Help menu opens in the mail program: line breaks are
// "%0A%0D" between paragraphs and "%0A" inside one.
inline std::string InvitationMail() {
    return std::string("mailto:?subject=Invitation from Vellumin&Body=Hello,%0A%0D"
                       "I use Vellumin to take the images out of PDF files,%0Aand I think you will find it useful too: ") +
           kHomePage + "%0A%0DLearn more at " + kHomePage + "%0A%0DDownload it from " + kDownloadPage +
           "%0A%0D[please type your text here]";
}
