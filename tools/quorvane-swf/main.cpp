#include "Audio.h"
#include "Info.h"
#include "Render.h"
#include "Trace.h"
#include "swf/Reader.h"

#include <QGuiApplication>
#include <cstring>
#include <iostream>
#include <optional>
#include <string>

using namespace quorvane;

namespace {

const char* const kUsage = "usage: quorvane-swf info FILE\n"
                           "       quorvane-swf render FILE --frames N --out PNG "
                           "[--width W --height H]\n"
                           "       quorvane-swf trace FILE --frames N [--input JSON]\n"
                           "       quorvane-swf audio FILE --frames N --out RAW\n";

std::optional<int> parseCount(const char* text)
{
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || value < 1 || value > 1000000) {
        return std::nullopt;
    }
    return int(value);
}

int info(const char* path)
{
    auto read = swf::readMovieFile(path);
    if (!read) {
        std::cerr << read.error().message << '\n';
        return 1;
    }
    for (const swf::Error& warning : read.value().warnings) {
        std::cerr << "warning: " << warning.message << '\n';
    }
    tools::printInfo(std::cout, read.value());
    return 0;
}

int render(int argc, char** argv)
{
    // Device fonts are drawn through Qt's font system, which needs a GUI
    // application; the tool never shows a window. Qt's own chatter (platform
    // set-up, image decoders' complaints about damaged data) would break the
    // promise of one line per error.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    int applicationArgc = 1;
    QGuiApplication application(applicationArgc, argv);
    tools::RenderRequest request;
    request.moviePath = QString::fromLocal8Bit(argv[2]);
    for (int i = 3; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        const char* value = argv[i + 1];
        std::optional<int> number;
        if (option != "--out") {
            number = parseCount(value);
            if (!number) {
                std::cerr << "invalid value for " << option << ": " << value << '\n';
                return 2;
            }
        }
        if (option == "--out") {
            request.outputPath = QString::fromLocal8Bit(value);
        } else if (option == "--frames") {
            request.frames = *number;
        } else if (option == "--width") {
            request.width = number;
        } else if (option == "--height") {
            request.height = number;
        } else {
            std::cerr << kUsage;
            return 2;
        }
    }
    if ((argc - 3) % 2 != 0 || request.outputPath.isEmpty() ||
        request.width.has_value() != request.height.has_value()) {
        std::cerr << kUsage;
        return 2;
    }
    if (auto error = tools::renderMovie(request)) {
        std::cerr << *error << '\n';
        return 1;
    }
    return 0;
}

int trace(int argc, char** argv)
{
    tools::TraceRequest request;
    request.moviePath = argv[2];
    if ((argc - 3) % 2 != 0) {
        std::cerr << kUsage;
        return 2;
    }
    for (int i = 3; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        if (option == "--frames") {
            const std::optional<int> frames = parseCount(argv[i + 1]);
            if (!frames) {
                std::cerr << "invalid value for --frames: " << argv[i + 1] << '\n';
                return 2;
            }
            request.frames = *frames;
        } else if (option == "--input") {
            request.inputPath = argv[i + 1];
        } else {
            std::cerr << kUsage;
            return 2;
        }
    }
    if (auto error = tools::traceMovie(request, std::cout)) {
        std::cerr << *error << '\n';
        return 1;
    }
    return 0;
}

int audio(int argc, char** argv)
{
    std::optional<int> frames;
    const char* out = nullptr;
    for (int i = 3; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        if (option == "--frames") {
            frames = parseCount(argv[i + 1]);
            if (!frames) {
                std::cerr << "invalid value for --frames: " << argv[i + 1] << '\n';
                return 2;
            }
        } else if (option == "--out") {
            out = argv[i + 1];
        } else {
            std::cerr << kUsage;
            return 2;
        }
    }
    if ((argc - 3) % 2 != 0 || !frames || !out) {
        std::cerr << kUsage;
        return 2;
    }
    if (auto error = tools::recordAudio(argv[2], *frames, out)) {
        std::cerr << *error << '\n';
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc >= 3 && std::strcmp(argv[1], "info") == 0 && argc == 3) {
        return info(argv[2]);
    }
    if (argc >= 3 && std::strcmp(argv[1], "trace") == 0) {
        return trace(argc, argv);
    }
    if (argc >= 3 && std::strcmp(argv[1], "render") == 0) {
        return render(argc, argv);
    }
    if (argc >= 3 && std::strcmp(argv[1], "audio") == 0) {
        return audio(argc, argv);
    }
    std::cerr << kUsage;
    return 2;
}
