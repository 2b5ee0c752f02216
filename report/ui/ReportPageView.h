#pragma once

#include <QImage>
#include <QWidget>

class ReportDocument;

// Shows one page of a laid-out report at a zoom factor (1.0 = actual size on
// the screen). The page is painted by ReportPainter into an image that is kept
// until the page or the zoom changes.
class ReportPageView : public QWidget
{
    Q_OBJECT

public:
    explicit ReportPageView(const ReportDocument& document, QWidget* parent = nullptr);

    void setPage(int index);
    int page() const { return m_page; }
    void setZoom(double zoom);
    double zoom() const { return m_zoom; }
    // Size of the page in screen pixels at zoom 1.0.
    QSizeF actualPageSize() const;
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void render();

    const ReportDocument& m_document;
    int m_page = 0;
    double m_zoom = 1.0;
    QImage m_image;
};
