#pragma once

#include <string>

// What the reseller's branding file says, one text per key; all empty without the file.
struct BrandingInfo {
    std::string ApplicationName;
    std::string BranderCode;
    std::string BranderType;
    std::string AffiliateURL; // with the affiliate id already put in
    std::string AffiliateTYPE;
    std::string AffiliateID;
    std::string MasterNewsBaseURL;
    std::string PlatinumNewsBaseURL;
    std::string GoldNewsBaseURL;
    std::string MasterPublID;
    std::string PlatinumPublID;
    std::string GoldPublID;
    std::string MakeMoneyButton;
    std::string AppHelpURL;
    std::string CopyrightYears;
    std::string CopyrightCompany;
    std::string AboutText;
};
