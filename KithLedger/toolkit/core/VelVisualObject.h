#pragma once
#include "VelColor.h"
#include "VelObject.h"

class VelFont;
class VelBackground;

// What every visible thing carries: font, background, colours and margins.
class VelVisualObject : public VelObject {
public:
    typedef VelDelegate<VelVisualObject*, const VelEventArgs*> ChangeEvent;

    explicit VelVisualObject(VelObject* owner = nullptr, const std::string& name = std::string());
    ~VelVisualObject() override;

    const wchar_t* GetClassName() const override;

    void SetColor(const VelColor& color);
    const VelColor& GetColor() const { return m_color; }
    void SetFont(VelFont* font);
    VelFont* GetFont() const { return m_font; }
    void SetMargins(const RECT& margins);
    RECT GetMargins() const { return m_margins; }
    void SetBackground(VelBackground* background);
    VelBackground* GetBackground() const { return m_background; }
    const VelColor& GetSecondColor() const { return m_secondColor; }

    ChangeEvent ColorChanged;
    ChangeEvent FontChanged;
    ChangeEvent MarginsChanged;
    ChangeEvent BackgroundChanged;
    ChangeEvent AuxiliaryChanged;

private:
    VelFont* m_font;
    VelBackground* m_background;
    VelColor m_color;
    VelColor m_secondColor;
    RECT m_margins;
};
