#ifndef CANVASSETTINGS_H
#define CANVASSETTINGS_H

#include "frametype.h"

#include <QColor>
#include <QWidget>

class QButtonGroup;
class QCheckBox;
class QLabel;
class QPushButton;
class QSlider;
class QTimer;
class QVBoxLayout;
struct FrameSettings;
enum class LengthUnit;

// The canvas appearance page: background colour, frame type and the two frame
// parameters. It keeps no settings; it announces each choice.
class CanvasSettings : public QWidget
{
    Q_OBJECT

public:
    explicit CanvasSettings(QWidget *parent = nullptr);

    // Shows the collage's appearance, as after an undo or an opened project, without
    // announcing it again.
    void showAppearance(const QColor &colour, const FrameSettings &frame);

    // The canvas the frame is drawn on: the working canvas the sliders count in, the size the
    // saved file gets, whose pixels (or millimetres at `dpi` for a physical unit) the labels
    // show, and the sliders' ends at the same share of the canvas whatever its size.
    void showCanvas(const QSize &working, const QSize &saved, LengthUnit unit, int dpi);
    // Shows whether tiles keep the faces in view, without announcing it again.
    void showKeepFaces(bool keep);

    QColor backgroundColour() const { return currentColour; }
    FrameType frameType() const { return currentFrame; }

signals:
    void colorChanged(QColor col);
    void photoFrameChanged(FrameType type);
    void paramChanged(int val1, int val2);
    void keepFacesChanged(bool keep);

public slots:
    void setColor();
    void setPhotoFrame(int type);
    void setTimeout();
    void emitParam();

private:
    QWidget *createBackgroundGroup();
    QWidget *createFrameGroup();
    void showFrame(FrameType type);
    void updateParamLabels();
    void updateSliderRanges();

    QColor currentColour = Qt::white;
    FrameType currentFrame = FrameType::Rect;
    QSize workingSize {800, 600}; // the canvas the sliders count in
    QSize savedSize {800, 600}; // the canvas the saved file gets
    LengthUnit unit {}; // Pixels
    int dpi = 300;

public:
    QPushButton *colorButton = nullptr;
    QLabel *colorLabel = nullptr;
    QPushButton *frameButton1 = nullptr;
    QPushButton *frameButton2 = nullptr;
    QPushButton *frameButton3 = nullptr;
    QButtonGroup *frameButtons = nullptr; // exclusive; the checked one is the frame in use
    QLabel *param1Label = nullptr; // name, value and unit of the slider below it
    QLabel *param2Label = nullptr;
    QSlider *param1Slider = nullptr; // margin a, 0..30 at 800 x 600 (frameSliderMaximum())
    QSlider *param2Slider = nullptr; // corner radius or scallop half-width b, 0..40 likewise
    QCheckBox *keepFacesBox = nullptr; // checked: tiles keep the faces or the subject in view
    QVBoxLayout *mainLayout = nullptr;
    QTimer *paramTimer = nullptr; // single shot: one paramChanged per burst of slider moves
};

#endif // CANVASSETTINGS_H
