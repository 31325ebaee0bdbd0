#pragma once

// A curve's and a sweep's figures as JSON, for `trendfit --json FILE` and the programs that read it.

#include <QJsonArray>
#include <QJsonObject>
#include <QString>

#include "app/core/CurveResult.h"
#include "app/core/DegreeSweep.h"

namespace trendfit {

// One object with the keys degree, lambdaL1, lambdaL2, trainError, testError, trainR2,
// testR2, trainRMSE, testRMSE and coefficients (an array, X0 first). A figure that does not
// exist, such as a test figure without test points, is null, as is any other value that is
// not a finite number. Numbers are written so they read back to the same doubles.
QJsonObject CurveJson(const CurveResult& curve);

// A sweep's degrees in order, each an object with the keys degree, trainError and
// testError; the errors are null for a failed fit, the test error also without test points.
QJsonArray SweepJson(const DegreeSweep& sweep);

// Writes the object as indented UTF-8 JSON, replacing the file only once all of it is
// written. False when the file cannot be written.
bool WriteJsonFile(const QJsonObject& object, const QString& file);

}  // namespace trendfit
