// Module claim: JSON forms of the claim records (they have no builders).
#include "schema/claim.h"

#include "platform/json/forms_impl.h"

VELMORA_JSON_FORMS(velmora::schema::ClaimSpec)
VELMORA_JSON_FORMS(velmora::schema::ClaimLifecycle)
VELMORA_JSON_FORMS(velmora::schema::KavriSandboxClaimStatus)
VELMORA_JSON_FORMS(velmora::schema::KavriSandboxClaimCondition)
VELMORA_JSON_FORMS(velmora::schema::KavriSandboxClaimSandbox)
