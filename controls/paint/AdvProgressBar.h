// The segmented progress bar: a windowless bar of gradient-shaded blocks in a
// rounded frame, with an optional text and an endless mode whose short window
// of blocks runs back and forth.
#pragma once

#include "controls/paint/AdvGradient.h"
#include "framework/Controls.h"
#include "framework/Timer.h"

#include <functional>
#include <string>

enum TGaugeOrientation : unsigned char { goHorizontal, goVertical };

// What one paint draws, filled from the bar's properties.
struct TGaugeSettings {
    TColor Level0Color, Level0ColorTo, Level1Color, Level1ColorTo;
    TColor Level2Color, Level2ColorTo, Level3Color, Level3ColorTo;
    int Level1Perc, Level2Perc;
    TColor BorderColor;
    bool ShowBorder, Stacked, ShowPercentage, ShowPosition;
    TFont Font;
    bool CompletionSmooth, ShowGradient;
    int Steps, Percentage, Position, Max;
    TColor BackgroundColor;
    TGaugeOrientation Orientation;
    bool Rounded;
    std::string Format;
    bool Infinite;
    int InfinitePos;
};

// The colour outside the rounded frame, which the bar leaves transparent.
inline constexpr TColor kGaugeTransparent = 0xFF00FF;

// Draws the whole bar into `r` of an off-screen canvas.
void DrawGauge(TCanvas& canvas, const RECT& r, const TGaugeSettings& settings);

// Position in percent of the range, half to even; Min is not subtracted.
int GaugePercentage(int position, int min, int max);

// The text of the bar: "<percent>%", the position, or `format` with the
// position and the maximum. A format is accepted only with at most two integer
// placeholders (%d or %i, with optional '-' or '0' flag and width) and "%%";
// anything else gives the percentage text.
std::string GaugeText(const TGaugeSettings& settings);

class TAdvProgressBar : public TGraphicControl {
  public:
    explicit TAdvProgressBar(TComponent* owner);

    bool Animated() const { return FAnimated; }
    void SetAnimated(bool value);
    TColor BackgroundColor() const { return FBackgroundColor; }
    void SetBackgroundColor(TColor value) { Change(FBackgroundColor, value); }
    TColor BorderColor() const { return FBorderColor; }
    void SetBorderColor(TColor value) { Change(FBorderColor, value); }
    bool CompletionSmooth() const { return FCompletionSmooth; }
    void SetCompletionSmooth(bool value) { Change(FCompletionSmooth, value); }
    const std::string& Format() const { return FFormat; }
    void SetFormat(const std::string& value) { Change(FFormat, value); }
    bool Infinite() const { return FInfinite; }
    void SetInfinite(bool value);
    unsigned InfiniteInterval() const { return FTimer->Interval(); }
    void SetInfiniteInterval(unsigned value) { FTimer->SetInterval(value); }
    TColor Level0Color() const { return FLevel0Color; }
    void SetLevel0Color(TColor value) { Change(FLevel0Color, value); }
    TColor Level0ColorTo() const { return FLevel0ColorTo; }
    void SetLevel0ColorTo(TColor value) { Change(FLevel0ColorTo, value); }
    TColor Level1Color() const { return FLevel1Color; }
    void SetLevel1Color(TColor value) { Change(FLevel1Color, value); }
    TColor Level1ColorTo() const { return FLevel1ColorTo; }
    void SetLevel1ColorTo(TColor value) { Change(FLevel1ColorTo, value); }
    TColor Level2Color() const { return FLevel2Color; }
    void SetLevel2Color(TColor value) { Change(FLevel2Color, value); }
    TColor Level2ColorTo() const { return FLevel2ColorTo; }
    void SetLevel2ColorTo(TColor value) { Change(FLevel2ColorTo, value); }
    TColor Level3Color() const { return FLevel3Color; }
    void SetLevel3Color(TColor value) { Change(FLevel3Color, value); }
    TColor Level3ColorTo() const { return FLevel3ColorTo; }
    void SetLevel3ColorTo(TColor value) { Change(FLevel3ColorTo, value); }
    int Level1Perc() const { return FLevel1Perc; }
    void SetLevel1Perc(int value) { Change(FLevel1Perc, value); }
    int Level2Perc() const { return FLevel2Perc; }
    void SetLevel2Perc(int value) { Change(FLevel2Perc, value); }
    int Min() const { return FMin; }
    void SetMin(int value) { Change(FMin, value); }
    int Max() const { return FMax; }
    void SetMax(int value) { Change(FMax, value); }
    TGaugeOrientation Orientation() const { return FOrientation; }
    void SetOrientation(TGaugeOrientation value) { Change(FOrientation, value); }
    int Position() const { return FPosition; }
    // Repaints at once, so a busy loop that never pumps still shows it.
    void SetPosition(int value);
    bool Rounded() const { return FRounded; }
    void SetRounded(bool value) { Change(FRounded, value); }
    bool ShowBorder() const { return FShowBorder; }
    void SetShowBorder(bool value) { Change(FShowBorder, value); }
    bool ShowGradient() const { return FShowGradient; }
    void SetShowGradient(bool value) { Change(FShowGradient, value); }
    bool ShowPercentage() const { return FShowPercentage; }
    void SetShowPercentage(bool value) { Change(FShowPercentage, value); }
    bool ShowPosition() const { return FShowPosition; }
    void SetShowPosition(bool value) { Change(FShowPosition, value); }
    bool Stacked() const { return FStacked; }
    void SetStacked(bool value) { Change(FStacked, value); }
    int Steps() const { return FSteps; }
    void SetSteps(int value) { Change(FSteps, value); }
    static std::string Version() { return "1.2.0.0"; }

    std::function<void(TComponent*, TMouseButton, TShiftState, int x, int y)> OnMouseDown;
    std::function<void(TComponent*, TMouseButton, TShiftState, int x, int y)> OnMouseUp;
    std::function<void(TComponent*, TShiftState, int x, int y)> OnMouseMove;

    // Where the moving window of the endless mode stands (0..100).
    int InfinitePos() const { return FInfinitePos; }
    // One step of the endless animation.
    void InfiniteTick();
    // The animation timer runs only while it can show something.
    bool TimerRunning() const { return FTimer->Enabled(); }

    void Paint(TCanvas& canvas) override;
    TGaugeSettings Settings() const;

  protected:
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseMove(TShiftState shift, int x, int y) override;
    void VisibleChanged() override;

  private:
    void UpdateTimer();

    bool FAnimated = false;
    TColor FBackgroundColor = 0xFFFFFF;
    TColor FBorderColor = 0x808080;
    bool FCompletionSmooth = false;
    std::string FFormat;
    bool FInfinite = false;
    TColor FLevel0Color = 0x00FF00, FLevel0ColorTo = 0xE1FFE1;
    TColor FLevel1Color = 0x00FFFF, FLevel1ColorTo = 0xCAFFFF;
    TColor FLevel2Color = 0x53A9FF, FLevel2ColorTo = 0xA8D3FF;
    TColor FLevel3Color = 0x0000FF, FLevel3ColorTo = 0xCACAFF;
    int FLevel1Perc = 70, FLevel2Perc = 90;
    int FMin = 0, FMax = 100;
    TGaugeOrientation FOrientation = goHorizontal;
    int FPosition = 50;
    bool FRounded = true;
    bool FShowBorder = true;
    bool FShowGradient = true;
    bool FShowPercentage = true;
    bool FShowPosition = true;
    bool FStacked = false;
    int FSteps = 20;
    int FInfinitePos = 0;
    bool FInfiniteForward = false;
    TTimer* FTimer;
};
