// Module common: JSON forms and builders of the virtual-machine records.
#include "schema/common.h"

#include "boundary/builder_export.h"
#include "platform/json/forms_impl.h"

VELMORA_JSON_FORMS(velmora::schema::VmTemplate)
VELMORA_JSON_FORMS(velmora::schema::SandboxService)
VELMORA_JSON_FORMS(velmora::schema::OidcConfig)
VELMORA_JSON_FORMS(velmora::schema::SandboxTemplateRef)

namespace velmora::schema {

VELMORA_EXPORT_BUILDER(velmora_sdk_schema, VmTemplateBuilder, vmtemplatebuilder, container_disk_image, command,
                       runtime, runtime_class_name, node_selector, tolerations, image_pull_policy, image_pull_secret,
                       cpu_cores, memory, firmware, nested_virtualization, probes, services, oidc)
VELMORA_EXPORT_BUILDER(velmora_sdk_schema, SandboxServiceBuilder, sandboxservicebuilder, name, target_port, protocol)
VELMORA_EXPORT_BUILDER(velmora_sdk_schema, SandboxTemplateRefBuilder, sandboxtemplaterefbuilder, name)

}  // namespace velmora::schema
