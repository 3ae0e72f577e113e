#pragma once

#include <QString>

struct ConversionResult;

// The text of the box that ends a run: the success text when every message
// was written, else how many were and why the others were not (the first of them).
QString conversionReport(const ConversionResult &result);

// What the box adds below that text: the run's notes (repairs it made), the
// first of them, under a heading; empty when there are none.
QString conversionReportNotes(const ConversionResult &result);

// Both of them complete, with every failure and every note, for the box's
// details and the report file; empty when there is nothing to report.
QString conversionReportDetails(const ConversionResult &result);

// The box's style: information (64) on success, warning (48) otherwise.
int conversionReportStyle(const ConversionResult &result);
