#pragma once
// Common ground of the display window's panels and labels: a caption, an
// alignment inside the parent, an integer tag, a background colour that may
// follow the parent's, and an optional pop-up menu.

#include <QColor>
#include <QFont>
#include <QWidget>

class QMenu;

enum class TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };

class TControl : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString caption READ caption WRITE setCaption)
    Q_PROPERTY(int tag READ tag WRITE setTag)
public:
    explicit TControl(QWidget* parent = nullptr);

    QString caption() const { return m_caption; }
    void setCaption(const QString& text);
    QString text() const { return m_caption; }
    void setText(const QString& text) { setCaption(text); }

    TAlign align() const { return m_align; }
    void setAlign(TAlign align);

    int tag() const { return m_tag; }
    void setTag(int tag) { m_tag = tag; }

    // Background colour; with parentColor set it is the parent's.
    QColor color() const;
    void setColor(const QColor& color);
    bool parentColor() const { return m_parentColor; }
    void setParentColor(bool follow);

    QColor fontColor() const { return m_fontColor; }
    void setFontColor(const QColor& color);

    QMenu* popupMenu() const { return m_popupMenu; }
    void setPopupMenu(QMenu* menu) { m_popupMenu = menu; }

    // The font the caption is drawn with: the control's font, made smaller
    // when the caption would not fit whole in the room the control has.
    QFont displayFont() const;

    // Lays out the aligned children inside the contents rectangle, then
    // their own children, down the whole tree.
    static void realignTree(QWidget* container);

protected:
    // The room the caption must fit in, and where it is placed.
    virtual QRect textBox() const = 0;
    virtual QRect visibleBox() const { return textBox(); }
    virtual bool centred() const = 0;
    virtual void captionChanged() {}

    void paintCaption(QPainter& painter) const;

    void resizeEvent(QResizeEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    static void alignChildren(QWidget* container);
    void refit() const;
    QRect changedPart(const QString& before) const;

    QString m_caption;
    TAlign m_align = TAlign::alNone;
    int m_tag = 0;
    QColor m_color;
    bool m_parentColor = false;
    QColor m_fontColor;
    QMenu* m_popupMenu = nullptr;
    mutable bool m_fitValid = false;
    mutable QString m_fitCaption;
    mutable QFont m_fitDesign;
    mutable QRect m_fitBox;
    mutable QRect m_fitVisible;
    mutable QFont m_fitFont;
    mutable QPoint m_fitOrigin;
};
