#include "common/GuiSessionCheck.h"
#include "common/InfoOptions.h"
#include "renovo/RenovoEntry.h"

int main(int argc, char* argv[])
{
    if (orvane::IsInfoRequest(argc, argv)) {
        return orvane::AnswerInfoRequest(
            argc, argv,
            {"Renovo", RENOVO_VERSION_TEXT,
             "Orvane's updater: fetches the update manifest from the site, replaces the out-of-date files "
             "in its own folder and starts the program again. Orvane starts it; there is no need to run it "
             "by hand.",
             {{"program", "the program to start when done, a file name in Renovo's folder"},
              {"site", "the update site's base URL, ending in \"/\""},
              {"manifest", "the manifest's name under the site, ServerManifest.xml"}}});
    }
    if (orvane::LacksGuiSession(argc, argv, "Renovo"))
        return 1;
    return orvane::RenovoMain(argc, argv);
}
