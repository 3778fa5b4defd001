#pragma once
// The product's name and addresses, kept in one place.
constexpr const char* kProductName = "Vellumin 1.5";
constexpr const char* kProductLine = "Every image of your PDF files, in the format you choose.";
constexpr const char* kHomePage = "https://vellumin.example.org/";
constexpr const char* kSupportAddress = "support@vellumin.example.org";
