// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "finder/IndexProperties.h"

#include <QFrame>
#include <QImage>

#include <array>

class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;
class QTabWidget;

// The finder's index properties panel (pnl_Properties): it lies over the
// finder's window while it shows. Its state and steps are
// Finding::IndexProperties; the panel wires its controls to them and mirrors
// what they say.
class PropertiesPanel : public QFrame
{
    Q_OBJECT

public:
    PropertiesPanel(Finding::IndexProperties& core, QWidget* parent = nullptr);

    // The controls, named as the window knows them.
    QLabel* lbl_PropertiesTitle = nullptr;
    QTabWidget* tab_Properties = nullptr;
    std::array<QLabel*, 2> lbl_Prompt{};
    QComboBox* combo_HighlightColour = nullptr;
    QComboBox* combo_HoverColour = nullptr;
    QLabel* img_WorkingIn = nullptr;
    QLabel* lbl_WorkingIn = nullptr;
    QListWidget* list_Rebuild = nullptr;
    QPushButton* but_Rebuild = nullptr;
    QPushButton* but_OK = nullptr;
    QPushButton* but_Cancel = nullptr;

    // A swatch's size in the colour boxes.
    static constexpr QSize SwatchSize{48, 14};
    // A colour box's swatch: a box in palette colour `colour` framed in black
    // (colour 0), on white (colour 15).
    static QImage swatchImage(int colour, QSize size = SwatchSize);

private:
    void fill();
    void mirrorRow(int row);
    void mirrorRebuilding(bool rebuilding);

    Finding::IndexProperties& m_core;
};
