#pragma once

#include <QColor>
#include <QComboBox>

// A colour picker: a drop-down list of the sixteen basic colours, each with its swatch, and
// a last item that opens the colour dialog for any other colour.
class ColourBox : public QComboBox {
    Q_OBJECT
public:
    explicit ColourBox(QWidget* parent = nullptr);

    QColor colour() const { return m_colour; }
    // Selects the colour, adding it to the list when it is not a basic one.
    void setColour(const QColor& colour);

signals:
    void colourChanged();

private:
    void itemActivated(int index);
    void addColourItem(const QColor& colour, const QString& name, int at);

    QColor m_colour;
};
