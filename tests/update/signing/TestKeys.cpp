// The public key the test builds trust: the one in test-update.key, beside a
// second key nobody uses (more than one key may be built in).
namespace orvane {

const char* BuiltInPublicKeyText()
{
    return "ppDuLhtiuTbn9/5xxe3Eie8ekeGGCd8dsfM0PHuawO0=, 11qYAYKxCrfVS/7TyWQHOg7hcvPapiMlrwIaaPcHURo=";
}

}  // namespace orvane
