#ifndef CANVASSETTINGS_H
#define CANVASSETTINGS_H

#include <QColor>
#include <QWidget>

class QButtonGroup;
class QLabel;
class QPushButton;
class QSlider;
class QTimer;
class QVBoxLayout;
struct FrameSettings;

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

    QColor backgroundColour() const { return currentColour; }
    int frameType() const { return currentFrame; }

signals:
    void colorChanged(QColor col);
    void photoFrameChanged(int type);
    void paramChanged(int val1, int val2);

public slots:
    void setColor();
    void setPhotoFrame(int type);
    void setTimeout();
    void emitParam();

private:
    QWidget *createBackgroundGroup();
    QWidget *createFrameGroup();
    void showFrame(int type);
    void updateParamLabels();

    QColor currentColour = Qt::white;
    int currentFrame = 1; // FrameRect

public:
    QPushButton *colorButton = nullptr;
    QLabel *colorLabel = nullptr;
    QPushButton *frameButton1 = nullptr;
    QPushButton *frameButton2 = nullptr;
    QPushButton *frameButton3 = nullptr;
    QButtonGroup *frameButtons = nullptr; // exclusive; the checked one is the frame in use
    QLabel *param1Label = nullptr; // name, value and unit of the slider below it
    QLabel *param2Label = nullptr;
    QSlider *param1Slider = nullptr; // margin a, 0..30
    QSlider *param2Slider = nullptr; // corner radius or scallop half-width b, 0..40
    QVBoxLayout *mainLayout = nullptr;
    QTimer *paramTimer = nullptr; // single shot: one paramChanged per burst of slider moves
};

#endif // CANVASSETTINGS_H
