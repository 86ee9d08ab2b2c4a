// Path construction shared by the Cairo surface: ellipses and arcs as Bezier curves in
// device space, so degenerate boxes never reach Cairo's matrix (a zero scale would put the
// context into a permanent error state).
#pragma once

#include <cairo.h>

void AppendEllipse(cairo_t* cr, double x, double y, double width, double height);
// startAngle and sweep in degrees, true angles of the ellipse (see draw_backend.h).
void AppendArc(cairo_t* cr, double x, double y, double width, double height, double startAngle,
               double sweep);
