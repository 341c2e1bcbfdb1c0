#include "settingsstore.h"

#include "collagelimits.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

namespace {

const int maxRecentProjects = 8;
const QString windowGroup = QStringLiteral("MainWindow/");
const QString collageGroup = QStringLiteral("Collage/");

} // namespace

SettingsStore::SettingsStore()
{
    // A fresh account may have no Pictures folder: the dialogs then start at home.
    QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (pictures.isEmpty() || !QFileInfo(pictures).isDir())
        pictures = QDir::homePath();
    const QSettings settings;
    openDirPath = settings.value(windowGroup + QStringLiteral("openDirPath"), pictures).toString();
    saveDirPath = settings.value(windowGroup + QStringLiteral("saveDirPath"), pictures).toString();
    projectDirPath
        = settings.value(windowGroup + QStringLiteral("projectDirPath"), pictures).toString();
    recent = settings.value(windowGroup + QStringLiteral("recentProjects")).toStringList();
}

void SettingsStore::write(const QString &key, const QVariant &value)
{
    QSettings().setValue(key, value);
}

QSize SettingsStore::windowSize(const QSize &first) const
{
    return QSettings().value(windowGroup + QStringLiteral("size"), first).toSize();
}

QPoint SettingsStore::windowPos(const QPoint &first) const
{
    return QSettings().value(windowGroup + QStringLiteral("pos"), first).toPoint();
}

void SettingsStore::setWindowGeometry(const QSize &size, const QPoint &pos)
{
    write(windowGroup + QStringLiteral("size"), size);
    write(windowGroup + QStringLiteral("pos"), pos);
}

void SettingsStore::setOpenDir(const QString &path)
{
    openDirPath = path;
    write(windowGroup + QStringLiteral("openDirPath"), path);
}

void SettingsStore::setSaveDir(const QString &path)
{
    saveDirPath = path;
    write(windowGroup + QStringLiteral("saveDirPath"), path);
}

void SettingsStore::setProjectDir(const QString &path)
{
    projectDirPath = path;
    write(windowGroup + QStringLiteral("projectDirPath"), path);
}

void SettingsStore::addRecentProject(const QString &path)
{
    recent.removeAll(path);
    recent.prepend(path);
    while (recent.size() > maxRecentProjects)
        recent.removeLast();
    write(windowGroup + QStringLiteral("recentProjects"), recent);
}

QColor SettingsStore::background() const
{
    return QSettings().value(collageGroup + QStringLiteral("background")).value<QColor>();
}

FrameSettings SettingsStore::frame() const
{
    const QSettings settings;
    const std::optional<FrameType> type = frameTypeFromNumber(
        settings.value(collageGroup + QStringLiteral("frameType"), 1).toInt());
    const FrameSettings frame {
        type.value_or(FrameType::Rect),
        settings.value(collageGroup + QStringLiteral("frameMargin"), 0).toInt(),
        settings.value(collageGroup + QStringLiteral("frameCurve"), 10).toInt()};
    // The sliders reach further on a larger working canvas; such a frame is kept too.
    const QSize largest(limits::workingBoxWidth, limits::workingBoxHeight);
    if (type && frame.a >= 0 && frame.a <= frameSliderMaximum(frameMarginBase, largest)
        && frame.b >= 0 && frame.b <= frameSliderMaximum(frameCurveBase, largest))
        return frame;
    return FrameSettings();
}

QSize SettingsStore::canvasSize() const
{
    const QSize size = QSettings().value(collageGroup + QStringLiteral("canvasSize")).toSize();
    if (size.width() >= 1 && size.height() >= 1 && size.width() <= limits::maxWindowCanvasSide
        && size.height() <= limits::maxWindowCanvasSide)
        return size;
    return QSize();
}

int SettingsStore::dpi() const
{
    const int dpi = QSettings().value(collageGroup + QStringLiteral("dpi"), defaultDpi).toInt();
    return dpi >= minDpi && dpi <= maxDpi ? dpi : defaultDpi;
}

CropMode SettingsStore::cropMode() const
{
    return QSettings().value(collageGroup + QStringLiteral("keepFaces"), true).toBool()
               ? CropMode::Auto
               : CropMode::Centre;
}

LengthUnit SettingsStore::unit() const
{
    const int unit = QSettings().value(windowGroup + QStringLiteral("unit"), 0).toInt();
    return unit >= int(LengthUnit::Pixels) && unit <= int(LengthUnit::Inches) ? LengthUnit(unit)
                                                                              : LengthUnit::Pixels;
}

void SettingsStore::setUnit(LengthUnit unit)
{
    write(windowGroup + QStringLiteral("unit"), int(unit));
}

void SettingsStore::rememberCollage(const CollageDocument &document)
{
    write(collageGroup + QStringLiteral("dpi"), document.dpi);
    write(collageGroup + QStringLiteral("background"), document.background);
    write(collageGroup + QStringLiteral("frameType"), int(document.frame.type));
    write(collageGroup + QStringLiteral("frameMargin"), document.frame.a);
    write(collageGroup + QStringLiteral("frameCurve"), document.frame.b);
    write(collageGroup + QStringLiteral("canvasSize"), document.requestedSize);
    write(collageGroup + QStringLiteral("keepFaces"), document.crop == CropMode::Auto);
}

bool SettingsStore::takeEditingHint()
{
    const QString key = windowGroup + QStringLiteral("editingHintShown");
    if (QSettings().value(key, false).toBool())
        return false;
    write(key, true);
    return true;
}
