// The style names of the control set and the one operation through which a
// styler hands a style to a component that takes styles.
#pragma once

enum TTelvarStyle {
    tsOffice2003Blue,
    tsOffice2003Silver,
    tsOffice2003Olive,
    tsOffice2003Classic,
    tsOffice2007Luna,
    tsOffice2007Obsidian,
    tsWindowsXP,
    tsWhidbey,
    tsCustom,
    tsOffice2007Silver
};

// Implemented by components that take a style; their owner keeps them alive.
class IComponentStyle {
  public:
    virtual void SetComponentStyle(TTelvarStyle style) = 0;

  protected:
    ~IComponentStyle() = default;
};
