/* Carries nothing but the version record orvane_embed_version adds. */
int main(void) { return 0; }
