// placeholder until the framework lands
