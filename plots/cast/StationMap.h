#pragma once
// The map of a cruise's stations: each cast's position as a dot in its line colour,
// labelled with its station, on longitude and latitude axes whose scales keep the
// shape of the area (a degree of longitude is cos(latitude) of one of latitude).
#include <QColor>
#include <QRectF>
#include <QString>
#include <vector>

class QPainter;

namespace kavro {

struct MapStation {
    double latitude = 0.0, longitude = 0.0;  // degrees; positions that are not finite are left out
    QString label;
    QColor colour;
};

// The degrees the map shows, set so that the positions fill a plot of width:height
// as much as the true shape lets them.
struct MapExtent {
    double lon0 = 0.0, lon1 = 1.0, lat0 = 0.0, lat1 = 1.0;
};
MapExtent mapExtent(const std::vector<MapStation>& stations, double width, double height);

// Draws the map into r (the plot area; its tick labels and titles go beside it, left and below).
void drawStationMap(QPainter& p, const QRectF& r, const std::vector<MapStation>& stations, double fontPx);

}  // namespace kavro
