#pragma once
// The product's name and addresses, kept in one place.
#include <string>

constexpr const char* kProductName = "Vellumin 1.5";
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
