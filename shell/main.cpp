// Program entry of vantor: hands the toolkit the three routines of the shell and
// returns the toolkit's result.
#include "shell/display_platform.h"
#include "shell/form_table.h"
#include "shell/handlers.h"
#include "shell/main_form.h"

#include "definitions/kdl_file.h"
#include "iconeditor/ricon_file.h"

#include "toolkit/gantry.h"

#include <cstdio>
#include <filesystem>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace vantor {
void startupTrace(const char* step); // startup.cpp
}

namespace {

const char* const kHelp =
    "usage: vantor [DEBUG] [NOVT] [--screenshot FILE] [FILE.kdl] [FILE.RIcon]\n"
    "       vantor --diagnose-keyboard | --help | --version\n"
    "\n"
    "  DEBUG              open the debug window with the trace of the serial line\n"
    "  NOVT               do not search for the panel\n"
    "  FILE.kdl, FILE.RIcon  load the key definitions or RAM icons once the panel is read\n"
    "  --screenshot FILE  write the main window to FILE (PNG, or .ppm/.bmp) after start-up, then end\n"
    "  --diagnose-keyboard  say how keyboard mode would type on this desktop\n";

} // namespace

int main(int argc, char** argv)
{
    vantor::startupTrace("main");
    if (argc == 2 && std::strcmp(argv[1], "--diagnose-keyboard") == 0)
        return vantor::handlers::diagnoseKeyboard(argc, argv);
    // Answered before any window system is touched.
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::printf("%s", kHelp);
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("vantor " VANTOR_VERSION "\n");
            return 0;
        }
    }
    // "--screenshot FILE" (or "--screenshot=FILE") is the program's own option; it
    // is taken off the command line before the toolkit and the shell see it.
    std::vector<char*> args;
    std::vector<std::string> files;
    std::string screenshot;
    bool missingFile = false;
    for (int i = 0; i < argc; ++i) {
        if (i > 0 && std::strcmp(argv[i], "--screenshot") == 0) {
            if (i + 1 < argc)
                screenshot = argv[++i];
            else
                missingFile = true;
            continue;
        }
        if (i > 0 && std::strncmp(argv[i], "--screenshot=", 13) == 0) {
            screenshot = argv[i] + 13;
            missingFile = screenshot.empty();
            continue;
        }
        // FILE.kdl or FILE.RIcon (any case): opened once the panel is read.
        const std::string word = i > 0 ? argv[i] : "";
        if (word.size() > 4 && word[0] != '-' &&
            (vantor::withKdlExtension(word) == word || vantor::withRIconExtension(word) == word)) {
            std::error_code ec;
            const std::filesystem::path full = std::filesystem::absolute(word, ec);
            files.push_back(ec ? word : full.string());
            continue;
        }
        args.push_back(argv[i]);
    }
    if (missingFile) {
        std::fprintf(stderr, "%s", kHelp);
        return 2;
    }
    if (!screenshot.empty()) {
        vantor::setScreenshotPath(screenshot);
        // Without a display the picture is taken on Qt's offscreen platform.
        const bool display = std::getenv("DISPLAY") || std::getenv("WAYLAND_DISPLAY");
        if (!display && !std::getenv("QT_QPA_PLATFORM"))
            setenv("QT_QPA_PLATFORM", "offscreen", 0);
    }
    vantor::setFilesToOpen(files);
    vantor::preferXWayland();
    args.push_back(nullptr);
    const int result = GN_GUIRUN(static_cast<int>(args.size()) - 1, args.data(), &vantor::AppInit,
                                 &vantor::RouteEvent, &vantor::DesignForm);
    vantor::handlers::keyboardModeEnded();
    vantor::startupTrace("end");
    if (vantor::screenshotFailed())
        return 1;
    return result;
}
