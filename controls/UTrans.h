// A small affine transform of the plane (rotate, scale, translate) and the
// numbered point lists it turns: rotated texts and report cells are laid out
// by turning the corners of their rectangles.
#pragma once

#include <windows.h>

#include <map>

struct UPoint {
    double x = 0.0;
    double y = 0.0;
};

// Points by number, kept in number order.
using PointList = std::map<int, UPoint>;

class UTrans {
public:
    enum : unsigned { kTranslate = 1, kScale = 2, kRotate = 4 };

    UTrans() = default;
    virtual ~UTrans() = default;

    // SetOffset, SetScale and SetAngle in that order.
    virtual UTrans* Set(double offsetX, double offsetY, double scaleX, double scaleY, double angle);
    // A step whose values are all near zero is left out of the transform.
    virtual void SetOffset(double x, double y);
    // A scale of (0, 0) leaves the scale step out instead of collapsing points.
    virtual void SetScale(double x, double y);
    // Radians; returns the angle normalised into [0, 2pi].
    virtual double SetAngle(double angle);
    virtual void AddOffset(double dx, double dy);
    // Rotate, scale, translate, each only when set.
    virtual UPoint Apply(double x, double y) const;
    // Translate back, scale back, rotate back, each only when set.
    virtual UPoint ApplyInverse(double x, double y) const;

    double OffsetX() const { return m_offsetX; }
    double OffsetY() const { return m_offsetY; }
    double ScaleX() const { return m_scaleX; }
    double ScaleY() const { return m_scaleY; }
    double Angle() const { return m_angle; }
    unsigned Flags() const { return m_flags; }

private:
    void SetFlag(unsigned flag, bool on);

    double m_offsetX = 0.0;
    double m_offsetY = 0.0;
    double m_scaleX = 0.0;
    double m_scaleY = 0.0;
    double m_angle = 0.0;
    double m_sin = 0.0;
    double m_cos = 1.0;
    unsigned m_flags = 0;
};

// Into [0, 2pi]: 2pi itself stays.
double NormalizeAngle(double angle);
// The nearest multiple of step, halves away from zero.
double RoundToMultiple(double value, double step);

// Empties the list and stores the corners 0 (left, top), 1 (right, top),
// 2 (right, bottom), 3 (left, bottom).
void FillPointsFromRect(PointList& list, double left, double top, double right, double bottom);
// Point 0, null when there is none.
UPoint* GetFirstPoint(PointList& list);
void OffsetPoints(double dx, double dy, PointList& list);
// Every point becomes its inverse image under the transform; a null
// transform leaves the list alone.
void TransformPoints(PointList& list, const UTrans* transform);
// The smallest rectangle holding every point, each coordinate rounded half
// away from zero; an empty list gives left = top = INT_MAX and
// right = bottom = INT_MIN.
RECT& BoundingRect(const PointList& list, RECT& out);
