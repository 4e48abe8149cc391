#include "controls/UTrans.h"

#include <climits>
#include <cmath>

#include "foundation/StrUtil.h"

namespace {

const double kTwoPi = 6.283185307179586;

bool NearZero(double x)
{
    return x > -1e-7 && x < 1e-7;
}

bool BothNearZero(double a, double b)
{
    return NearZero(a) && NearZero(b);
}

UPoint Rotate(double x, double y, double sine, double cosine)
{
    return UPoint{sine * y + cosine * x, cosine * y - sine * x};
}

} // namespace

UTrans* UTrans::Set(double offsetX, double offsetY, double scaleX, double scaleY, double angle)
{
    SetOffset(offsetX, offsetY);
    SetScale(scaleX, scaleY);
    SetAngle(angle);
    return this;
}

void UTrans::SetFlag(unsigned flag, bool on)
{
    if (on)
        m_flags |= flag;
    else
        m_flags &= ~flag;
}

void UTrans::SetOffset(double x, double y)
{
    m_offsetX = x;
    m_offsetY = y;
    SetFlag(kTranslate, !BothNearZero(x, y));
}

void UTrans::AddOffset(double dx, double dy)
{
    SetOffset(m_offsetX + dx, m_offsetY + dy);
}

void UTrans::SetScale(double x, double y)
{
    m_scaleX = x;
    m_scaleY = y;
    SetFlag(kScale, !BothNearZero(x, y));
}

double UTrans::SetAngle(double angle)
{
    m_angle = NormalizeAngle(angle);
    m_sin = std::sin(m_angle);
    m_cos = std::cos(m_angle);
    SetFlag(kRotate, !NearZero(m_angle));
    return m_angle;
}

UPoint UTrans::Apply(double x, double y) const
{
    UPoint p{x, y};
    if (m_flags & kRotate)
        p = Rotate(p.x, p.y, m_sin, m_cos);
    if (m_flags & kScale) {
        p.x *= m_scaleX;
        p.y *= m_scaleY;
    }
    if (m_flags & kTranslate) {
        p.x += m_offsetX;
        p.y += m_offsetY;
    }
    return p;
}

UPoint UTrans::ApplyInverse(double x, double y) const
{
    UPoint p{x, y};
    if (m_flags & kTranslate) {
        p.x -= m_offsetX;
        p.y -= m_offsetY;
    }
    if (m_flags & kScale) {
        p.x *= NearZero(m_scaleX) ? 0.0 : 1.0 / m_scaleX;
        p.y *= NearZero(m_scaleY) ? 0.0 : 1.0 / m_scaleY;
    }
    if (m_flags & kRotate) {
        double back = kTwoPi - m_angle;
        p = Rotate(p.x, p.y, std::sin(back), std::cos(back));
    }
    return p;
}

double NormalizeAngle(double angle)
{
    if (!std::isfinite(angle))
        return 0.0;
    while (angle < 0.0)
        angle += kTwoPi;
    while (angle > kTwoPi)
        angle -= kTwoPi;
    return angle;
}

double RoundToMultiple(double value, double step)
{
    if (step == 0.0)
        return value;
    double half = value < 0.0 ? -0.5 : 0.5;
    return step * std::trunc((value + step * half) / step);
}

void FillPointsFromRect(PointList& list, double left, double top, double right, double bottom)
{
    list.clear();
    list[0] = UPoint{left, top};
    list[1] = UPoint{right, top};
    list[2] = UPoint{right, bottom};
    list[3] = UPoint{left, bottom};
}

UPoint* GetFirstPoint(PointList& list)
{
    auto it = list.find(0);
    return it == list.end() ? nullptr : &it->second;
}

void OffsetPoints(double dx, double dy, PointList& list)
{
    for (auto& entry : list) {
        entry.second.x += dx;
        entry.second.y += dy;
    }
}

void TransformPoints(PointList& list, const UTrans* transform)
{
    if (!transform)
        return;
    for (auto& entry : list)
        entry.second = transform->ApplyInverse(entry.second.x, entry.second.y);
}

RECT& BoundingRect(const PointList& list, RECT& out)
{
    out.left = out.top = INT_MAX;
    out.right = out.bottom = INT_MIN;
    for (const auto& entry : list) {
        long x = RoundToLong(entry.second.x);
        long y = RoundToLong(entry.second.y);
        if (x < out.left) out.left = x;
        if (x > out.right) out.right = x;
        if (y < out.top) out.top = y;
        if (y > out.bottom) out.bottom = y;
    }
    return out;
}
