// Adds customers from an input dataset; every value is bound as a parameter.
// The service XML block below is this service's definition.
/**__SERVICE XML BEGIN__
<service name="demo_add_customers" class_name="CAddCustomers">
  <description>Adds one customer per row of the "input" dataset (columns name, city).</description>
  <input>
    <dataset name="input" required="1"/>
    <variable name="since" type="string"/>
  </input>
  <output>
    <variable name="added"/>
  </output>
  <statement foreach="input" rowcount="added"><![CDATA[
    INSERT INTO customers (name, city, since) VALUES (:name, :city, COALESCE(:since, CAST(CURRENT_DATE AS VARCHAR(10))))
  ]]></statement>
</service>
__SERVICE XML END__**/

// The service server runs the statements of the definition above; the class only names
// the service in listings.
class CAddCustomers {};
