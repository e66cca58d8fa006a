#include "BrandCommands.h"
#include "ReplaceViaTemporary.h"
#include "ResellerPackage.h"

#include <QBuffer>
#include <QImage>

#include <iostream>

namespace fs = std::filesystem;

namespace {

constexpr const char* kSamplePictureName = "banner.png";

// Every key in the order the program reads them, each with a sample value and, before it, a
// note in plain words. Notes hold no tags, so nothing in them is ever read as a value.
constexpr const char* kTemplateLines[] = {
    "Tallywick branding text, written by \"tallywick-brand template\".",
    "",
    "Each value stands between its key's opening and closing tag, on the lines below. The lines",
    "outside the tags are notes, which the program ignores. Change the values; keep the tags.",
    "The program reads the keys in this order: a key moved above one that comes before it here is",
    "read as empty. A key you do not need may be deleted together with its two tags.",
    "Spaces and line breaks between two tags are kept as written, so write one-line values on the",
    "line of their tags.",
    "",
    "Save this file as branding.txt in a folder of its own, with the banner pictures it names",
    "beside it, and optionally skin.qss (a Qt style sheet for the main window) and main.ico (the",
    "program's icon). Then check the folder and pack it into the folder that holds the program:",
    "    tallywick-brand check FOLDER",
    "    tallywick-brand pack FOLDER PROGRAM_FOLDER",
    "",
    "",
    "ApplicationName: your product's name. The window's caption shows it followed by \" v2.01\",",
    "and the About window shows it.",
    "<%%ApplicationName%%>My Site Counter<%%/ApplicationName%%>",
    "",
    "BranderCode: your product code. Every news request sends it, and your news server knows your",
    "product by it.",
    "<%%BranderCode%%>MYCOUNTER<%%/BranderCode%%>",
    "",
    "BranderType: your tier, which decides where the program asks for news. Write it exactly so:",
    "    Master     asks MasterNewsBaseURL, as the publisher MasterPublID",
    "    Platinum   asks PlatinumNewsBaseURL, as the publisher PlatinumPublID",
    "    Gold       asks GoldNewsBaseURL, as the publisher GoldPublID",
    "    Free       asks for no news",
    "The News button shows only when the tier's news address and publisher id are both filled in",
    "(for Free: the Master ones; its News button then finds no news).",
    "<%%BranderType%%>Gold<%%/BranderType%%>",
    "",
    "AffiliateURL: the page the affiliate button opens. The placeholder %%AFFILIATEID%%, written",
    "in capitals as here, is replaced by AffiliateID.",
    "<%%AffiliateURL%%>https://www.example.com/partners/?ref=%%AFFILIATEID%%<%%/AffiliateURL%%>",
    "",
    "AffiliateTYPE: kept for your own records; the program does not use it.",
    "<%%AffiliateTYPE%%>sale<%%/AffiliateTYPE%%>",
    "",
    "AffiliateID: your affiliate id, put in place of the placeholder in AffiliateURL.",
    "<%%AffiliateID%%>1234<%%/AffiliateID%%>",
    "",
    "MasterNewsBaseURL: the address of the folder where your news scripts run for the Master tier",
    "(the files of server/news/). The program adds getlastnews.php or getnewsdetails.php to it.",
    "<%%MasterNewsBaseURL%%>http://news.example.com/news/<%%/MasterNewsBaseURL%%>",
    "",
    "PlatinumNewsBaseURL: the same for the Platinum tier.",
    "<%%PlatinumNewsBaseURL%%>http://news.example.com/news/<%%/PlatinumNewsBaseURL%%>",
    "",
    "GoldNewsBaseURL: the same for the Gold tier.",
    "<%%GoldNewsBaseURL%%>http://news.example.com/news/<%%/GoldNewsBaseURL%%>",
    "",
    "MasterPublID: your publisher id for the Master tier, as your news server knows it.",
    "<%%MasterPublID%%>PUBLISHER1<%%/MasterPublID%%>",
    "",
    "PlatinumPublID: your publisher id for the Platinum tier.",
    "<%%PlatinumPublID%%>PUBLISHER1<%%/PlatinumPublID%%>",
    "",
    "GoldPublID: your publisher id for the Gold tier.",
    "<%%GoldPublID%%>PUBLISHER1<%%/GoldPublID%%>",
    "",
    "MakeMoneyButton: the caption of the affiliate button. Left empty, it reads \"Make Money\".",
    "<%%MakeMoneyButton%%>Partner Program<%%/MakeMoneyButton%%>",
    "",
    "AppHelpURL: the page the Help button opens.",
    "<%%AppHelpURL%%>https://www.example.com/help/<%%/AppHelpURL%%>",
    "",
    "CopyrightYears and CopyrightCompany: the About window's line \"Copyright (c) YEARS COMPANY\".",
    "<%%CopyrightYears%%>2025<%%/CopyrightYears%%>",
    "<%%CopyrightCompany%%>My Company Ltd<%%/CopyrightCompany%%>",
    "",
    "AboutText: free text for the About window; it may run over several lines.",
    "<%%AboutText%%>My Site Counter shows how many visits each page of your site gets,",
    "and where the visitors came from.",
    "Support: support@example.com<%%/AboutText%%>",
    "",
    "Welcome1, Welcome2, and so on up to Welcome16: welcome pages, in HTML. At each start the",
    "program picks one at random and opens on it; a button leads on to the main page. Number them",
    "from 1 without gaps: the program stops at the first number that is missing. Delete them all,",
    "and the program opens on its main page.",
    "<%%Welcome1%%><h2>Welcome to My Site Counter</h2>",
    "<p>Press <b>Settings</b> to enter your site's address and database, then <b>Prepare Web",
    "Pages</b> to make your pages count their visits.</p><%%/Welcome1%%>",
    "",
    "Banner1, Banner2, and so on up to Banner16: banners, each written as the picture's file name,",
    "a ^ and the address a click opens (http://, https:// or mailto:; nothing after the ^ for a",
    "banner that opens nothing). At each start the program picks one at random and shows it under",
    "the buttons. The picture lies beside this file under that name; packing puts it into",
    "banner1.dat, banner2.dat, and so on. A name ending in .gif is shown as an animated GIF; any",
    "other name says the picture's format by its extension: .png, .jpg or .jpeg, .bmp. Number them",
    "from 1 without gaps.",
    "<%%Banner1%%>banner.png^https://www.example.com/<%%/Banner1%%>",
    "",
    "Link1, Link2, and so on up to Link16: links, each written as its caption, a ^ and its address",
    "(http://, https:// or mailto:). At each start the program shows two different ones, picked at",
    "random, along the bottom of the main page. Number them from 1 without gaps.",
    "<%%Link1%%>My Company^https://www.example.com/<%%/Link1%%>",
    "<%%Link2%%>Write to us^mailto:support@example.com<%%/Link2%%>",
    "<%%Link3%%>Forum^https://www.example.com/forum/<%%/Link3%%>",
};

std::string TemplateText()
{
    std::string text;
    for (const char* line : kTemplateLines)
        text += std::string(line) + "\r\n";
    return text;
}

// A banner-sized PNG, so the template's banner entry has its picture and packs as it stands.
std::string SamplePicture()
{
    constexpr int kWidth = 468;
    constexpr int kHeight = 60;
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const int shade = x * 120 / kWidth;
            const bool stripe = ((x + y) / 12) % 2 == 0;
            image.setPixel(x, y, qRgb(20 + shade / 3, 90 + shade + (stripe ? 12 : 0), 120 + shade));
        }
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes.toStdString();
}

std::string WriteNewFile(const fs::path& path, const std::string& bytes)
{
    return ReplaceViaTemporary(path.string(), [&](WritableStream& destination) -> std::string {
        if (!destination.Write(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size()))
            return "cannot write " + path.string();
        return {};
    });
}

} // namespace

int RunTemplate(const std::vector<std::string>& arguments, std::ostream& errors)
{
    const fs::path out = arguments[0];
    std::error_code fileError;
    if (fs::is_directory(out, fileError)) {
        errors << "tallywick-brand: template: " << out.string() << " is a folder; give the file to write, such as "
               << (out / kPackageTextName).string() << "\n";
        return kExitFailure;
    }
    if (fs::exists(out, fileError)) {
        errors << "tallywick-brand: template: " << out.string()
               << " already exists; the template never replaces a file, so give a new name\n";
        return kExitFailure;
    }
    const fs::path folder = out.has_parent_path() ? out.parent_path() : fs::path(".");
    fs::create_directories(folder, fileError);
    std::string error = WriteNewFile(out, TemplateText());
    const fs::path picture = folder / kSamplePictureName;
    const bool pictureThere = fs::exists(picture, fileError);
    if (error.empty() && !pictureThere)
        error = WriteNewFile(picture, SamplePicture());
    if (!error.empty()) {
        errors << "tallywick-brand: template: " << error << "\n";
        return kExitFailure;
    }
    std::cout << "Wrote " << out.string() << ": every key with a sample value and a note on what it does.\n"
              << (pictureThere ? "Kept " : "Wrote ") << picture.string() << ", the picture its banner entry names.\n"
              << "Edit the values, then: tallywick-brand pack "
              << (out.filename() == kPackageTextName ? folder.string() : out.string()) << " PROGRAM_FOLDER\n";
    return kExitSuccess;
}
