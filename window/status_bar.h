#pragma once
// TStatusBar: a status bar of fixed-width panels with texts; a panel can be drawn by its
// owner, who gets the painter and the panel's rectangle.
#include <QStatusBar>
#include <functional>
#include <vector>

class TStatusBar : public QStatusBar {
    Q_OBJECT
public:
    struct Panel {
        int Width;
        QString Text;
        bool OwnerDrawn = false;
    };
    using DrawPanelHandler = std::function<void(QPainter&, int, const QRect&)>;

    explicit TStatusBar(QWidget* parent);

    void SetPanels(std::vector<Panel> panels);
    int PanelCount() const { return static_cast<int>(panels_.size()); }
    QString PanelText(int index) const;
    void SetPanelText(int index, const QString& text);
    QRect PanelRect(int index) const;
    int BorderWidth() const { return 0; }
    void SetDrawPanelHandler(DrawPanelHandler handler) { onDrawPanel_ = std::move(handler); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::vector<Panel> panels_;
    DrawPanelHandler onDrawPanel_;
};
