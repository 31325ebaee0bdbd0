#include "app/ui/CurveJson.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QSaveFile>

#include <cmath>

namespace trendfit {

namespace {

// JSON has no not-a-number or infinity: such a figure does not exist.
QJsonValue Number(double value) { return std::isfinite(value) ? QJsonValue(value) : QJsonValue(); }

}  // namespace

QJsonObject CurveJson(const CurveResult& curve) {
    QJsonArray coefficients;
    for (double c : curve.coefficients) coefficients.append(Number(c));
    return QJsonObject{
        {"degree", static_cast<qint64>(curve.coefficients.size()) - 1},
        {"lambdaL1", Number(curve.lambdaL1)},
        {"lambdaL2", Number(curve.lambdaL2)},
        {"trainError", Number(curve.trainError)},
        {"testError", Number(curve.testError)},
        {"trainR2", Number(curve.trainQuality.rSquared)},
        {"testR2", Number(curve.testQuality.rSquared)},
        {"trainRMSE", Number(curve.trainQuality.rmse)},
        {"testRMSE", Number(curve.testQuality.rmse)},
        {"coefficients", coefficients},
    };
}

QJsonArray SweepJson(const DegreeSweep& sweep) {
    QJsonArray points;
    for (const DegreeSweepPoint& p : sweep.points) {
        const bool failed = p.outcome.failed;
        points.append(QJsonObject{
            {"degree", p.degree},
            {"trainError", failed ? QJsonValue() : Number(p.outcome.curve.trainError)},
            {"testError", failed || !sweep.hasTestPoints ? QJsonValue() : Number(p.outcome.curve.testError)},
        });
    }
    return points;
}

bool WriteJsonFile(const QJsonObject& object, const QString& file) {
    QSaveFile out(file);
    const QByteArray text = QJsonDocument(object).toJson(QJsonDocument::Indented);
    return out.open(QIODevice::WriteOnly) && out.write(text) == text.size() && out.commit();
}

}  // namespace trendfit
