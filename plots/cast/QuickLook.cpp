#include "plots/cast/QuickLook.h"

#include "plots/cast/CastPlot.h"

#include <QFont>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QHashFunctions>
#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#ifdef KAVRO_SVG
#include <QSvgGenerator>
#endif
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <memory>

namespace kavro {

namespace {

constexpr int kVectorDpi = 96;

CastPlot::Orientation orientationOf(bool profile)
{
    return profile ? CastPlot::Orientation::Profile : CastPlot::Orientation::AlongX;
}

}  // namespace

PictureFormat pictureFormatOf(const std::string& path)
{
    const auto dot = path.find_last_of('.');
    if (dot == std::string::npos || path.find('/', dot) != std::string::npos)
        return PictureFormat::Unknown;
    std::string ext = path.substr(dot + 1);
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
    if (ext == "png")
        return PictureFormat::Png;
    if (ext == "pdf")
        return PictureFormat::Pdf;
    if (ext == "svg")
        return PictureFormat::Svg;
    return PictureFormat::Unknown;
}

bool pictureFormatBuilt(PictureFormat format)
{
#ifdef KAVRO_SVG
    return format != PictureFormat::Unknown;
#else
    return format == PictureFormat::Png || format == PictureFormat::Pdf;
#endif
}

void useSystemFontFolder()
{
#ifdef _WIN32
    if (qEnvironmentVariableIsSet("QT_QPA_FONTDIR"))
        return;
    const QString windows = qEnvironmentVariable("WINDIR", QStringLiteral("C:\\Windows"));
    qputenv("QT_QPA_FONTDIR", (windows + QStringLiteral("\\Fonts")).toLocal8Bit());
#endif
}

void substituteMissingFaces()
{
    const QStringList families = QFontDatabase::families();
    const struct {
        const char* face;
        const char* twin;
    } kTwins[] = {{"Arial", "Liberation Sans"}, {"Times New Roman", "Liberation Serif"}, {"Courier New", "Liberation Mono"}};
    for (const auto& t : kTwins)
        if (!families.contains(QLatin1String(t.face), Qt::CaseInsensitive) &&
            families.contains(QLatin1String(t.twin), Qt::CaseInsensitive))
            QFont::insertSubstitution(QLatin1String(t.face), QLatin1String(t.twin));
}

void ensureOffscreenGui()
{
    if (QCoreApplication::instance())
        return;
    useSystemFontFolder();
    // Qt's notes about the session (no XDG_RUNTIME_DIR on a server, and the like)
    // are no concern of a command-line user; its errors still reach stderr.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
        if (type == QtCriticalMsg || type == QtFatalMsg)
            std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
    });
    // Qt's PDF writer lists the fonts of a document in the order of a hash table: a
    // fixed seed keeps that order, so that the same pages make the same file.
    QHashSeed::setDeterministicGlobalSeed();
    // Lives for the rest of the run and is never destroyed: Qt's GUI part needs one for
    // fonts and painting, and destroying it among the other statics at exit runs into
    // Qt's own, already destroyed (a crash at exit on Windows).
    static int argc = 3;
    static char name[] = "kavro-cli", option[] = "-platform", platform[] = "offscreen";
    static char* argv[] = {name, option, platform, nullptr};
    static QGuiApplication* app = new QGuiApplication(argc, argv);
    static_cast<void>(app);
    substituteMissingFaces();
}

int quickLookColumns(int width, int height, bool profile)
{
    return CastPlot::columnsFor(QSize(width, height), orientationOf(profile));
}

bool writeQuickLook(const CastSummary& summary, const std::string& path, PictureFormat format, int width, int height,
                    bool profile)
{
    ensureOffscreenGui();
    CastPlot plot(summary, orientationOf(profile));
    const QSize size(width, height);
    const QString file = QString::fromStdString(path);
    switch (format) {
    case PictureFormat::Png: {
        QImage image(size, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        plot.draw(painter, size);
        painter.end();
        return image.save(file, "PNG");
    }
    case PictureFormat::Pdf: {
        QPdfWriter writer(file);
        writer.setResolution(kVectorDpi);
        writer.setPageSize(QPageSize(QSizeF(width * 72.0 / kVectorDpi, height * 72.0 / kVectorDpi), QPageSize::Point));
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        writer.setTitle(QString::fromStdString(summary.source.path));
        writer.setCreator(QStringLiteral("kavro-cli"));
        QPainter painter;
        if (!painter.begin(&writer))
            return false;
        plot.draw(painter, size);
        return painter.end();
    }
    case PictureFormat::Svg: {
#ifdef KAVRO_SVG
        QSvgGenerator generator;
        generator.setFileName(file);
        generator.setSize(size);
        generator.setViewBox(QRect(QPoint(0, 0), size));
        generator.setResolution(kVectorDpi);
        generator.setTitle(QString::fromStdString(summary.source.path));
        QPainter painter;
        if (!painter.begin(&generator))
            return false;
        plot.draw(painter, size);
        return painter.end();
#else
        return false;
#endif
    }
    case PictureFormat::Unknown:
        break;
    }
    return false;
}

}  // namespace kavro
