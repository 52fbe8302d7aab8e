// Module sandbox: the JSON form and builder of the template spec. The sandbox
// records KavriSandboxSpec and KavriSandboxStatus have no JSON form.
#include "schema/sandbox.h"

#include "boundary/builder_export.h"
#include "platform/json/forms_impl.h"

VELMORA_JSON_FORMS(velmora::schema::KavriSandboxTemplateSpec)

namespace velmora::schema {

VELMORA_EXPORT_BUILDER(velmora_sdk_schema, KavriSandboxTemplateSpecBuilder, kavrisandboxtemplatespecbuilder,
                       vm_template)

}  // namespace velmora::schema
