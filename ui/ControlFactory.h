#pragma once
// Builds the controls of the window layouts from their design values: name,
// text, rectangle in twips, font and tab index. Every control keeps its tab
// index as the property "tabIndex"; a member of a control group that shares
// one name (Label1) keeps its index as the property "index".

#include <QString>
#include <initializer_list>

class QAbstractButton;
class QGroupBox;
class QLabel;
class QLineEdit;
class QObject;
class QWidget;

// A rectangle as designed, in twips, measured from the top-left corner of
// the containing window's or panel's client area, or of a group box's outer
// frame.
struct TwipsBox {
    int left;
    int top;
    int width;
    int height;
};

struct ControlDesign {
    const char* name;
    const char* text;  // UTF-8; empty for controls without text
    TwipsBox box;
    double pointSize;  // Tahoma; 0 keeps the container's font
    bool bold;
    int tabIndex;
};

// Names, places, sets the font of and numbers a control built elsewhere.
void ApplyDesign(QWidget* control, const ControlDesign& design);

void SetControlIndex(QObject* control, int index);

// Links the focus order through the given controls, first to last; controls
// that cannot take the focus need not be listed.
void ChainTabOrder(std::initializer_list<QWidget*> controls);

// For a label whose box is lower than its font's line: its caption is drawn
// as always, but may reach past the box's top and bottom edges (not its
// sides) instead of losing the tops of accents and the ends of descenders.
void LetCaptionOverhang(QLabel* label);

void SetDesignText(QWidget* control, const QString& text);
void SetDesignText(QLabel* control, const QString& text);
void SetDesignText(QAbstractButton* control, const QString& text);
void SetDesignText(QLineEdit* control, const QString& text);
void SetDesignText(QGroupBox* control, const QString& text);

template <class Control>
Control* MakeControl(QWidget* parent, const ControlDesign& design)
{
    auto* control = new Control(parent);
    SetDesignText(control, QString::fromUtf8(design.text));
    ApplyDesign(control, design);
    return control;
}
