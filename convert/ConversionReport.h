#pragma once

#include <QString>

struct ConversionResult;

// The text of the box that ends a run: the success text when every message
// was written, else how many were and why the others were not.
QString ConversionReport(const ConversionResult &result);

// The box's style: information (64) on success, warning (48) otherwise.
int ConversionReportStyle(const ConversionResult &result);
