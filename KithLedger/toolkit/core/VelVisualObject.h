#pragma once
#include "VelColor.h"
#include "VelObject.h"

class VelFont;
class VelBackground;

// What every visible thing carries: font, background, colours and margins.
// List rows rarely set any of them, so they live on the heap from the first set.
class VelVisualObject : public VelObject {
public:
    typedef VelDelegate<VelVisualObject*, const VelEventArgs*> ChangeEvent;

    explicit VelVisualObject(VelObject* owner = nullptr, const std::string& name = std::string());
    // As the object copy, with the look copied.
    VelVisualObject(const VelVisualObject& other);
    VelVisualObject& operator=(const VelVisualObject&) = delete;
    ~VelVisualObject() override;

    const wchar_t* GetClassName() const override;

    void SetColor(const VelColor& color);
    const VelColor& GetColor() const { return GetLook().color; }
    void SetFont(VelFont* font);
    VelFont* GetFont() const { return GetLook().font; }
    void SetMargins(const RECT& margins);
    RECT GetMargins() const { return GetLook().margins; }
    void SetBackground(VelBackground* background);
    VelBackground* GetBackground() const { return GetLook().background; }
    const VelColor& GetSecondColor() const { return GetLook().secondColor; }

    ChangeEvent ColorChanged;
    ChangeEvent FontChanged;
    ChangeEvent MarginsChanged;
    ChangeEvent BackgroundChanged;
    ChangeEvent AuxiliaryChanged;

private:
    struct Look {
        Look() : font(nullptr), background(nullptr), margins{0, 0, 0, 0} {}
        VelFont* font;
        VelBackground* background;
        VelColor color;
        VelColor secondColor;
        RECT margins;
    };

    const Look& GetLook() const { return m_look ? *m_look : NoLook(); }
    Look& ChangeLook();
    // What an object that never set its look answers, also to static initialisers.
    static const Look& NoLook();

    Look* m_look;
};
