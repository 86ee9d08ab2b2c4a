// The runtime class chain below TZolt. Each class holds one area of state that translated
// section code reads and writes directly. Only the bases from CZoltSliders on are
// polymorphic; the object is always destroyed through TZolt's virtual destructor.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "runtime/file_slot.h"
#include "runtime/memory.h"
#include "runtime/script_numbers.h"
#include "runtime/slider_def.h"

class COrbel;
struct BitmapSlot;
struct StandardVariables;

class CZoltOrbel : public CZoltMemory {
  public:
    COrbel* adapter = nullptr;  // not owned; every host service tolerates null
};

class CZoltSliders : public CZoltOrbel {
  public:
    static constexpr int32_t kSliderCount = 128;

    // [any] Slider section, after a parameter change, a state load and at resume.
    virtual void RunSlider() {}
    // A slider by computed number: wraps, so it can never leave the array.
    double& SliderAt(double number);

    alignas(kSharedAlignment) double sliderValues[kSliderCount] = {};

  protected:
    ~CZoltSliders() = default;
};

class CZoltSamples : public CZoltSliders {
  public:
    static constexpr int32_t kMaxChannels = 64;

    // [audio & resumed] Block section, once per host block; sample section, once per frame.
    virtual void RunBlock() {}
    virtual void RunSample() {}
    // [audio] The sample section over a whole call, for effects that have such a path. It
    // answers true when it has left the outputs, the sample variables and its own variables
    // as running the sample section once per frame would have; false, having changed
    // nothing, sends the call through the per-frame loop, which stays the reference. A null
    // input channel reads as silence there and a null output channel is not written.
    virtual bool RunSampleBlock(float** inputs, float** outputs, int32_t channels, int32_t frames) {
        (void)inputs, (void)outputs, (void)channels, (void)frames;
        return false;
    }
    virtual bool RunSampleBlock(double** inputs, double** outputs, int32_t channels,
                                int32_t frames) {
        (void)inputs, (void)outputs, (void)channels, (void)frames;
        return false;
    }

    double samples[kMaxChannels] = {};
    // Channel count of each process path, read from the adapter at this instance's first
    // call of that path; -1 until then.
    int32_t floatPathChannels = -1;
    int32_t doublePathChannels = -1;

  protected:
    ~CZoltSamples() = default;
};

class CZoltDescription : public CZoltSamples {
  public:
    // [main] Appends a slider, stores its default and, for a file slider, lists its directory.
    // Returns the host parameter index.
    int32_t AddSlider(int32_t number, double* mirror, double defaultValue, double minimum,
                      double maximum, double step, const std::string& path,
                      const std::string& auxText, const std::string& label,
                      const std::string& name);

    std::vector<SliderDef> sliderDefs;
    std::string effectName;
    std::string productString;
    std::string vendorString;
    std::string programName;
    int32_t vendorVersion = 0;
    int32_t uniqueId = 0;
    int32_t channelCount = 0;

  protected:
    ~CZoltDescription() = default;
};

class CZoltStrings : public CZoltDescription {
  public:
    // String slot n, created empty when absent; refreshes stringCount.
    std::string& StringAt(int32_t n);

    std::map<int32_t, std::string> strings;
    double stringCount = 0.0;

  protected:
    ~CZoltStrings() = default;
};

class CZoltFiles : public CZoltStrings {
  public:
    CZoltFiles() : files(1) {}

    std::vector<FileSlot> files;  // slot 0 carries the state chunk

  protected:
    // Writes out every write slot that has a file name.
    ~CZoltFiles();
};

struct FontRecord {
    std::string face;
    double size = 0.0;
    int32_t flags = 0;  // 1 bold, 2 italic, 4 underline
};

class CZoltFonts : public CZoltFiles {
  public:
    // [main] Selects a font for the following text: the record in fonts[slot], the
    // line height in textHeight, and the drawing functions' current font.
    void SetFont(int32_t slot, const std::string& face, double height, int32_t flags);

    std::map<int32_t, FontRecord> fonts;
    double textHeight = 0.0;

  protected:
    ~CZoltFonts() = default;
};

class CZoltGraphics : public CZoltFonts {
  public:
    // Bitmap handles owned by the runtime. Only graphics code adds them, and no graphics
    // code in this build does.
    std::map<int32_t, BitmapSlot*> images;
    double penX = 0.0;
    double penY = 0.0;
    alignas(kSharedAlignment) double frameRate = 0.0;

  protected:
    // Releases every image handle (before the fonts go).
    ~CZoltGraphics();
};

class CZoltMouse : public CZoltGraphics {
  public:
    // [main] The standard start of every graphics section: canvas size, mouse
    // state, the background when vars.clearColor asks for one, then colour, pen and mode.
    void BeginFrame(StandardVariables& vars);
    // [main] Mouse events from the view; each also raises frameRate to 30.
    void OnMouseDown(double x, double y, int32_t buttons);
    void OnMouseUp(double x, double y, int32_t buttons);
    void OnMouseMove(double x, double y, int32_t buttons);

    double hostMouseButtons = 0.0;
    double hostMouseX = 0.0;
    double hostMouseY = 0.0;

  protected:
    ~CZoltMouse() = default;
};
