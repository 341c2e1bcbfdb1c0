#ifndef COLLAGELIMITS_H
#define COLLAGELIMITS_H

// The bounds of a collage, in one place for the window, the command line and the files.

namespace limits {

// The most photos one collage holds; the layout is built for at most this many.
inline constexpr int maxPhotos = 100;

// Canvas sides in pixels. Three canvas-sized layers are held at once while saving; at the
// largest canvas they stay within about 1.2 GB.
inline constexpr int minCanvasSide = 100;
inline constexpr int maxCanvasSide = 10000;
// The window's size dialog: every paper fits, A2 at 300 dpi among them, as on the command line.
inline constexpr int maxWindowCanvasSide = maxCanvasSide;

// The canvas the window works at on screen: a requested size up to this many pixels a side is
// used as it is, a larger one is scaled into the working box with its shape kept.
inline constexpr int maxWorkingSide = 1200;
inline constexpr int workingBoxWidth = 1200;
inline constexpr int workingBoxHeight = 900;

// The frame sliders' ranges, in pixels of the working canvas: the margin, and the corner
// radius or scallop half-width.
inline constexpr int maxFrameMargin = 30;
inline constexpr int maxFrameParameter = 40;

// The most steps the history keeps.
inline constexpr int maxUndoSteps = 100;

// The program's version, from the build.
inline constexpr char version[] = VELLOMIR_VERSION;

} // namespace limits

#endif // COLLAGELIMITS_H
