#include "cli/document_outcome.h"

nlohmann::json OutcomeFields(const DocumentOutcome& outcome) {
    nlohmann::json fields = {
        {"outcome", outcome.outcome},
        {"exit_status", static_cast<int>(outcome.status)},
        {"counts",
         {{"written", outcome.written},
          {"failed", outcome.failed},
          {"converted", outcome.converted},
          {"conversion_failed", outcome.conversionFailed},
          {"damaged", outcome.damaged}}},
    };
    // Counted only when there are some, so that runs without a minimum size
    // write what they always wrote.
    if (outcome.belowMinimum > 0)
        fields["counts"]["below_minimum"] = outcome.belowMinimum;
    if (outcome.repeated > 0)
        fields["counts"]["duplicates"] = outcome.repeated;
    if (!outcome.reason.empty())
        fields["reason"] = outcome.reason;
    return fields;
}
