#include "controls/TreemapLayout.h"

#include <algorithm>
#include <cmath>

namespace {

bool Placed(double weight)
{
    return std::isfinite(weight) && weight > 0;
}

// The worst aspect ratio of a row of areas summing to sum, largest largest and smallest smallest,
// laid along a side of length side.
double WorstRatio(double sum, double largest, double smallest, double side)
{
    const double sideSquared = side * side;
    const double sumSquared = sum * sum;
    return std::max(sideSquared * largest / sumSquared, sumSquared / (sideSquared * smallest));
}

class TSquarifier
{
public:
    TSquarifier(const std::vector<double> &areas, const std::vector<size_t> &order, const QRectF &bounds,
                std::vector<QRectF> &result)
        : FAreas(areas), FOrder(order), FFree(bounds), FResult(result)
    {}

    void Run()
    {
        for (size_t first = 0; first < FOrder.size();) {
            const size_t end = RowEnd(first);
            PlaceRow(first, end);
            first = end;
        }
    }

private:
    double Area(size_t position) const { return FAreas[FOrder[position]]; }

    // The end of the row that starts at first: weights are taken while the worst ratio improves.
    size_t RowEnd(size_t first) const
    {
        const double side = std::min(FFree.width(), FFree.height());
        double sum = Area(first);
        double worst = WorstRatio(sum, Area(first), Area(first), side);
        size_t end = first + 1;
        for (; end < FOrder.size(); ++end) {
            const double widened = WorstRatio(sum + Area(end), Area(first), Area(end), side);
            if (widened > worst)
                break;
            sum += Area(end);
            worst = widened;
        }
        return end;
    }

    // The row becomes a strip along the shorter side of the free rectangle; the last row takes all
    // that is left, so rounding never leaves a sliver uncovered.
    void PlaceRow(size_t first, size_t end)
    {
        double sum = 0;
        for (size_t i = first; i < end; ++i)
            sum += Area(i);
        const bool lastRow = end == FOrder.size();
        const bool vertical = FFree.width() >= FFree.height();
        const double length = vertical ? FFree.height() : FFree.width();
        const double available = vertical ? FFree.width() : FFree.height();
        const double thickness = lastRow ? available : std::min(available, sum / length);
        double offset = 0;
        for (size_t i = first; i < end; ++i) {
            const double extent = i + 1 == end ? length - offset : Area(i) / thickness;
            FResult[FOrder[i]] = vertical ? QRectF(FFree.left(), FFree.top() + offset, thickness, extent)
                                          : QRectF(FFree.left() + offset, FFree.top(), extent, thickness);
            offset += extent;
        }
        if (vertical)
            FFree.setLeft(FFree.left() + thickness);
        else
            FFree.setTop(FFree.top() + thickness);
    }

    const std::vector<double> &FAreas;
    const std::vector<size_t> &FOrder;
    QRectF FFree;
    std::vector<QRectF> &FResult;
};

} // namespace

std::vector<QRectF> SquarifiedLayout(const std::vector<double> &weights, const QRectF &bounds)
{
    std::vector<QRectF> result(weights.size(), QRectF(bounds.topLeft(), QSizeF(0, 0)));
    if (!(bounds.width() > 0 && bounds.height() > 0))
        return result;
    std::vector<size_t> order;
    for (size_t i = 0; i < weights.size(); ++i)
        if (Placed(weights[i]))
            order.push_back(i);
    if (order.empty())
        return result;
    std::stable_sort(order.begin(), order.end(),
                     [&weights](size_t a, size_t b) { return weights[a] > weights[b]; });
    // Weights become areas, so that the ratios compare lengths in the rectangle's own units. Taken
    // relative to the largest first, so that no sum of huge weights overflows.
    const double largest = weights[order.front()];
    double total = 0;
    for (size_t i : order)
        total += weights[i] / largest;
    const double scale = bounds.width() * bounds.height() / total;
    std::vector<double> areas(weights.size(), 0);
    for (size_t i : order)
        areas[i] = weights[i] / largest * scale;
    TSquarifier(areas, order, bounds, result).Run();
    return result;
}
