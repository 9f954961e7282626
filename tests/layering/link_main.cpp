// An empty program: the layer's whole archive is linked into it, so every call the layer makes must
// be answered by the layers below it.
int main() { return 0; }
