module zvt.testmodule {
    exports zvt.testmodule;
}
